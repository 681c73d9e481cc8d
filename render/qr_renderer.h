#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QVector>

#include <qrencode.h>

#include <functional>
#include <memory>

struct QrStyleRecord;

struct QrSymbolDeleter
{
    void operator()(QRcode *symbol) const { QRcode_free(symbol); }
};
using QrSymbol = std::unique_ptr<QRcode, QrSymbolDeleter>;

// The record's content encoded with its version, level and mode; null when it
// does not fit or a setting is out of range.
QrSymbol encodeSymbol(const QrStyleRecord &style);

// Alignment pattern centres (column, row) of a symbol of the given width in
// modules, leaving out the three places taken by finder patterns.
QVector<QPoint> alignmentCentres(int width);

// Timing row and column plus the bands beside the finders that can be drawn as
// plain black and white squares.
bool inPlainZone(int column, int row, int width);

// Shape of the dark module at (column, row) in the connected style.
QString connectedShapeAt(const QRcode &symbol, int column, int row);

// What goes on one place of the code canvas.
enum class CodeStamp { Eye, Alignment, DarkModule, LightModule, PlainDark, PlainLight };

// Every stamp of the symbol in drawing order, with the module place of its
// top-left corner on a canvas of one module's border, and for a dark module of
// the connected style its shape name (empty otherwise). Every format draws from it.
void layOutStamps(const QrStyleRecord &style, const QRcode &symbol,
                  const std::function<void(CodeStamp, QPoint, const QString &)> &place);

// The code image of codeSize pixels a side: the canvas below scaled to that size.
// Styles whose stamps fill whole modules with one colour are drawn at one pixel a
// module and enlarged by area, the others at moduleSize pixels a module (fewer for
// canvases above 3,000 pixels, so that memory does not grow with the square of
// the version) and scaled down smoothly.
QImage drawCode(const QrStyleRecord &style, const QRcode &symbol, int codeSize);

// The symbol at modulePixels pixels per module with a one-module transparent
// border, everything drawn modulePixels / moduleSize times the size the style
// gives; null when the picture cannot be allocated.
QImage drawCodeCanvas(const QrStyleRecord &style, const QRcode &symbol, int modulePixels);

// Fewer pixels per module than this do not scan once printed or photographed.
constexpr int minModulePixels = 4;

// The code side that gives every module, and the one-module border, at least
// minModulePixels whole pixels: codeSize when it already does.
int grownCodeSize(int codeSize, int symbolWidth);

// The output canvas: canvas colour, the scaled code and the caption.
QImage drawOutputCanvas(const QrStyleRecord &style, const QImage &code);
