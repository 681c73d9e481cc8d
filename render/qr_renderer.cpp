#include "render/qr_renderer.h"

#include "render/area_scale.h"
#include "render/label_painter.h"
#include "render/module_painter.h"
#include "render/qr_style_record.h"

#include <QHash>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

// Largest side of a canvas drawn at the style's full module size: 36 MB.
constexpr int fullCanvasSide = 3000;

// Alignment centre coordinates of versions 2 to 40, as the QR standard lists them.
const std::array<std::initializer_list<int>, 39> alignmentTable = {{
    {6, 18}, {6, 22}, {6, 26}, {6, 30}, {6, 34},
    {6, 22, 38}, {6, 24, 42}, {6, 26, 46}, {6, 28, 50}, {6, 30, 54}, {6, 32, 58}, {6, 34, 62},
    {6, 26, 46, 66}, {6, 26, 48, 70}, {6, 26, 50, 74}, {6, 30, 54, 78}, {6, 30, 56, 82},
    {6, 30, 58, 86}, {6, 34, 62, 90},
    {6, 28, 50, 72, 94}, {6, 26, 50, 74, 98}, {6, 30, 54, 78, 102}, {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110}, {6, 30, 58, 86, 114}, {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122}, {6, 30, 54, 78, 102, 126}, {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134}, {6, 34, 60, 86, 112, 138}, {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150}, {6, 24, 50, 76, 102, 128, 154}, {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162}, {6, 26, 54, 82, 110, 138, 166}, {6, 30, 58, 86, 114, 142, 170},
}};

bool isDark(const QRcode &symbol, int column, int row)
{
    if (column < 0 || row < 0 || column >= symbol.width || row >= symbol.width)
        return false;
    return symbol.data[row * symbol.width + column] & 1;
}

// One flag per module: part of an alignment pattern.
QVector<bool> alignmentMask(const QVector<QPoint> &centres, int width)
{
    QVector<bool> mask(width * width, false);
    for (const QPoint &centre : centres) {
        for (int row = centre.y() - 2; row <= centre.y() + 2; ++row) {
            for (int column = centre.x() - 2; column <= centre.x() + 2; ++column)
                mask[row * width + column] = true;
        }
    }
    return mask;
}

QImage plainSquare(int side, Qt::GlobalColor color)
{
    if (side <= 0)
        return QImage();
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// The finder eye covering a module: 0 top-left, 1 top-right, 2 bottom-left, -1 none.
int finderZone(int column, int row, int width)
{
    if (column <= 6 && row <= 6)
        return 0;
    if (row <= 6 && column >= width - 7)
        return 1;
    if (column <= 6 && row >= width - 7)
        return 2;
    return -1;
}

// Pixels per module of the canvas a code of codeSize pixels is drawn on: moduleSize
// up to a canvas of fullCanvasSide, fewer beyond unless the code itself is larger.
int canvasModulePixels(const QrStyleRecord &style, int symbolWidth, int codeSize)
{
    const int m = style.moduleSize;
    const double side = double(symbolWidth) * m + 100;
    if (m < 1 || side <= fullCanvasSide)
        return m;
    // Four canvas pixels to a code pixel, and more, average to the same picture.
    const double largest = qMax<double>(fullCanvasSide, 4.0 * codeSize);
    return int(qBound(1.0, std::floor(m * largest / side), double(m)));
}

// Every stamp fills whole modules with one colour: the canvas is then a grid of
// flat squares, drawn exactly at one pixel a module.
bool drawsWholeModules(const QrStyleRecord &style)
{
    // The eye and alignment stamps are laid out on a 50-pixel module.
    return style.moduleSize == 50 && style.moduleShape == 0 && style.eyeShape == 0 && style.darkModuleSize >= 50
        && style.lightModuleSize >= 50;
}

} // namespace

QrSymbol encodeSymbol(const QrStyleRecord &style)
{
    // Checked here because libqrencode takes enums and these ints may hold anything.
    if (style.version < 0 || style.version > 40)
        return nullptr;
    if (style.errorCorrectionLevel < QR_ECLEVEL_L || style.errorCorrectionLevel > QR_ECLEVEL_H)
        return nullptr;
    if (style.encodeMode != QR_MODE_8 && style.encodeMode != QR_MODE_KANJI)
        return nullptr;
    const QByteArray bytes = style.content.toUtf8();
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; });
    if (ascii || style.encodeMode != QR_MODE_8)
        return QrSymbol(QRcode_encodeString(bytes.constData(), style.version,
                                            static_cast<QRecLevel>(style.errorCorrectionLevel),
                                            static_cast<QRencodeMode>(style.encodeMode),
                                            style.caseSensitive ? 1 : 0));
    // Bytes without a character set are read as Latin-1 or guessed as Shift-JIS by many
    // readers ("Müller", "こんにちは" come out garbled): say UTF-8 (ECI 26) before them.
    const std::unique_ptr<QRinput, decltype(&QRinput_free)> input(
        QRinput_new2(style.version, static_cast<QRecLevel>(style.errorCorrectionLevel)), &QRinput_free);
    if (!input || QRinput_appendECIheader(input.get(), 26) != 0
        || QRinput_append(input.get(), QR_MODE_8, bytes.size(), reinterpret_cast<const unsigned char *>(bytes.constData())) != 0)
        return nullptr;
    return QrSymbol(QRcode_encodeInput(input.get()));
}

QVector<QPoint> alignmentCentres(int width)
{
    const int index = (width - 21) / 4 - 1;
    if (index < 0 || index >= int(alignmentTable.size()))
        return {};
    const std::initializer_list<int> &row = alignmentTable[index];
    const int last = *(row.end() - 1);
    QVector<QPoint> centres;
    for (const int y : row) {
        for (const int x : row) {
            const bool onFinder = (x == 6 && y == 6) || (x == 6 && y == last) || (x == last && y == 6);
            if (!onFinder)
                centres.append(QPoint(x, y));
        }
    }
    return centres;
}

bool inPlainZone(int column, int row, int width)
{
    return column == 6 || row == 6 || (column <= 7 && row <= 7) || (row == 7 && column >= width - 7)
        || (column == 7 && row >= width - 7);
}

QString connectedShapeAt(const QRcode &symbol, int column, int row)
{
    return connectedShapeName(isDark(symbol, column, row - 1), isDark(symbol, column + 1, row),
                              isDark(symbol, column, row + 1), isDark(symbol, column - 1, row));
}

QImage drawCode(const QrStyleRecord &style, const QRcode &symbol, int codeSize)
{
    if (drawsWholeModules(style))
        return scaledByArea(drawCodeCanvas(style, symbol, 1), codeSize);
    // The full-size canvas can take tens of megabytes: kept only until scaled.
    const QImage canvas = drawCodeCanvas(style, symbol, canvasModulePixels(style, symbol.width, codeSize));
    return canvas.scaled(codeSize, codeSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage drawCodeCanvas(const QrStyleRecord &style, const QRcode &symbol, int modulePixels)
{
    const int m = modulePixels;
    const double scale = style.moduleSize > 0 ? double(m) / style.moduleSize : 1.0;
    const int width = symbol.width;
    const double side = std::round((double(width) * style.moduleSize + 100) * scale);
    if (side <= 0 || side > std::numeric_limits<int>::max())
        return QImage();
    QImage canvas(static_cast<int>(side), static_cast<int>(side), QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return canvas;
    canvas.fill(Qt::transparent);

    const QImage eye = makeEyePixmap(style, scale);
    const QImage alignment = makeAlignmentPixmap(style, scale);
    const QImage darkMark = makeDarkModulePixmap(style, scale);
    const QImage lightMark = makeLightModulePixmap(style, scale);
    const QImage plainLight = plainSquare(m, Qt::white);
    const QImage plainDark = plainSquare(m, Qt::black);
    QHash<QString, QImage> shaped;
    if (style.moduleShape == 2) {
        for (const QString &name : connectedShapeNames())
            shaped.insert(name, makeShapedModulePixmap(style, name, scale));
    }

    QPainter painter(&canvas);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    layOutStamps(style, symbol, [&](CodeStamp stamp, QPoint place, const QString &shape) {
        const QPoint at = place * m;
        switch (stamp) {
        case CodeStamp::Eye: painter.drawImage(at, eye); break;
        case CodeStamp::Alignment: painter.drawImage(at, alignment); break;
        case CodeStamp::LightModule: painter.drawImage(at, lightMark); break;
        case CodeStamp::PlainLight: painter.drawImage(at, plainLight); break;
        case CodeStamp::PlainDark: painter.drawImage(at, plainDark); break;
        case CodeStamp::DarkModule: painter.drawImage(at, shape.isEmpty() ? darkMark : shaped.value(shape)); break;
        }
    });
    painter.end();
    return canvas;
}

void layOutStamps(const QrStyleRecord &style, const QRcode &symbol,
                  const std::function<void(CodeStamp, QPoint, const QString &)> &place)
{
    const int width = symbol.width;
    const bool connected = style.moduleShape == 2;
    const QVector<QPoint> centres = alignmentCentres(width);
    const QVector<bool> inAlignment = alignmentMask(centres, width);
    bool eyeDrawn[3] = {false, false, false};
    for (int row = 0; row < width; ++row) {
        for (int column = 0; column < width; ++column) {
            const QPoint at(column + 1, row + 1);
            const int zone = finderZone(column, row, width);
            const bool aligned = inAlignment[row * width + column];
            const bool plain = style.plainTimingModules && inPlainZone(column, row, width);
            if (!isDark(symbol, column, row)) {
                if (zone < 0 && !aligned)
                    place(plain ? CodeStamp::PlainLight : CodeStamp::LightModule, at, QString());
                continue;
            }
            if (zone >= 0) {
                // The zone's first dark module is the finder's top-left corner; the
                // eye starts one module further up and left to cover the separator.
                if (!eyeDrawn[zone]) {
                    place(CodeStamp::Eye, QPoint(column, row), QString());
                    eyeDrawn[zone] = true;
                }
                continue;
            }
            if (aligned) {
                if (centres.contains(QPoint(column + 2, row + 2)))
                    place(CodeStamp::Alignment, at, QString());
                continue;
            }
            if (plain)
                place(CodeStamp::PlainDark, at, QString());
            else
                place(CodeStamp::DarkModule, at, connected ? connectedShapeAt(symbol, column, row) : QString());
        }
    }
}

int grownCodeSize(int codeSize, int symbolWidth)
{
    return qMax(codeSize, minModulePixels * (symbolWidth + 2));
}

QImage drawOutputCanvas(const QrStyleRecord &style, const QImage &code)
{
    QImage canvas(style.imageSize, style.canvasHeight(), QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return canvas;
    canvas.fill(style.canvasColor);
    QPainter painter(&canvas);
    if (style.labelText.isEmpty())
        painter.drawImage(QPoint(style.margin, style.margin), code);
    else
        drawLabel(painter, code, style);
    painter.end();
    // Written into the file: the same on every screen.
    canvas.setDotsPerMeterX(qRound(captionDpi / 0.0254));
    canvas.setDotsPerMeterY(qRound(captionDpi / 0.0254));
    return canvas;
}
