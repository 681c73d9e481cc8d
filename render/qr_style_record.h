#pragma once

#include "render/background_picture.h"
#include "render/print_size.h"

#include <QColor>
#include <QImage>
#include <QString>

// Everything needed to draw and save one styled QR code.
struct PreparedCode;

struct QrStyleRecord
{
    QrStyleRecord();

    // Draws the code and writes it to outputPath, in the format its suffix names,
    // or as an animated GIF on the frames of a "gif" background. A code with fewer
    // than four pixels per module is drawn larger, caption and margin with it.
    // False when the content cannot be encoded, the margins leave no room for the
    // code, a logo or background cannot be read, the canvas does not lie wholly on
    // the background, or the picture cannot be written; no partial file is left
    // then. An empty content is replaced by the product site address first. Safe
    // to call on several threads at once, each with its own record.
    // An SVG or PDF path gets the same design as vectors; an animated background
    // has none and fails. With a print width, printedModule (when given) gets the
    // printed side of a module in millimetres.
    bool render(const QString &outputPath, double *printedModule = nullptr);

    // Everything render does before drawing, for a file of the given format
    // ("png", "gif", "svg", "pdf"): false when render would fail before drawing.
    bool prepare(PreparedCode *code, const QString &format);
    // The printed side of one of its modules in millimetres; 0 without a print width.
    double printedModuleWidth(const PreparedCode &code) const;
    // Millimetres an output pixel of the prepared code prints at: by the print
    // width, or at the caption resolution without one.
    double millimetresPerPixel(const PreparedCode &code) const;

    bool caseSensitive = true;
    int encodeMode = 2;
    int errorCorrectionLevel = 1;
    int version = 0;
    int moduleSize = 50;
    int margin = 0;
    QString content;
    int imageSize = 300;
    QString backgroundPath;
    QString backgroundSuffix;
    int codeOffsetX = 0;
    int codeOffsetY = 0;
    int codeRotation = 0;
    QColor canvasColor;
    double canvasAlpha = 0.5;
    QString logoPath;
    int logoWidth = 0;
    int logoHeight = 0;
    int logoFrame = 0;
    QColor logoFrameColor;
    int moduleShape = 0;
    int eyeShape = 0;
    double eyeBackdropAlpha = 0.5;
    QColor eyeOuterColor;
    QColor eyeInnerColor;
    QColor lightModuleColor;
    double lightModuleSize = 17.0;
    QColor darkModuleColor;
    double darkModuleSize = 50.0;
    QString labelText;
    int labelPointSize = 14;
    int labelLetterSpacing = 2;
    QColor labelColor;
    QString labelPosition = QStringLiteral("bottom");
    int labelBold = 0;
    QString labelFontFamily = QStringLiteral("SourceHanSerifCN");
    bool plainTimingModules = false;
    // Printed width of the canvas with its caption in millimetres; 0 keeps the
    // pixels of imageSize. A PNG then gets printDpi pixels an inch.
    double printWidth = 0;
    int printDpi = defaultPrintDpi;
    // Pictures already read, shared by the codes of a run; they take the place of
    // logoPath and backgroundPath.
    QImage logoImage;
    BackgroundPicture backgroundPicture;

    // Side of the code in pixels: the canvas width less the margins.
    int codeSize() const { return margin > 0 ? imageSize - 2 * margin : imageSize; }
    // Height of the output canvas: a caption above or below adds two point sizes.
    int canvasHeight() const
    {
        return !labelText.isEmpty() && labelPosition != QLatin1String("center") ? imageSize + 2 * labelPointSize : imageSize;
    }
};

// The record as drawn for a code of symbolWidth modules: a code too dense for its
// side grows, margin, caption and logo with it, until every module has the
// pixels it needs to scan.
QrStyleRecord grownFor(const QrStyleRecord &style, int symbolWidth);
