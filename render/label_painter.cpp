#include "render/label_painter.h"

#include "render/font_registry.h"
#include "render/qr_style_record.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEngine>
#include <QPainterPath>

namespace {

// The caption font at a size and spacing, for the canvas it is drawn on. Points
// count at captionDpi whatever the screen: the canvas keeps the screen's resolution
// while drawn, since Qt drops absolute letter spacing on a device of lower
// resolution than the screen, so the size is converted here instead.
QFont canvasFont(const QrStyleRecord &style, int pointSize, int spacing, QPaintDevice *canvas)
{
    QFont font = labelFont(style);
    if (pointSize > 0)
        font.setPointSizeF(pointSize * captionDpi / canvas->logicalDpiY());
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return QFont(font, canvas);
}

struct Caption
{
    QFont font;
    QString text;
    double width;
};

// A caption wider than the picture loses its letter spacing first, then size down
// to half, and is finally cut in the middle, until it fits with half a point size
// to spare on either side.
Caption fitCaption(const QrStyleRecord &style, QPaintDevice *canvas)
{
    const int pointSize = style.labelPointSize;
    const double room = style.imageSize - qMax(0, pointSize);
    const int least = qMin(0, style.labelLetterSpacing);
    const auto measured = [&](int size, int spacing) {
        const QFont font = canvasFont(style, size, spacing, canvas);
        return Caption{font, style.labelText, QFontMetricsF(font).horizontalAdvance(style.labelText)};
    };
    for (int spacing = qMin(style.labelLetterSpacing, int(room)); spacing >= least; --spacing) {
        const Caption caption = measured(pointSize, spacing);
        if (caption.width <= room)
            return caption;
    }
    for (int size = pointSize - 1; size >= (pointSize + 1) / 2 && size > 0; --size) {
        const Caption caption = measured(size, least);
        if (caption.width <= room)
            return caption;
    }
    Caption caption = measured(qMax(1, (pointSize + 1) / 2), least);
    const QFontMetricsF metrics(caption.font);
    caption.text = metrics.elidedText(style.labelText, Qt::ElideMiddle, room);
    caption.width = metrics.horizontalAdvance(caption.text);
    return caption;
}

// Height of the font's lines, for centring a smaller caption where the full one stands.
double lineHeight(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return metrics.ascent() + metrics.descent();
}

// The text centred across rect from its top, as glyphs on a picture and as outlines
// on a vector file, so that the file needs no font where it is printed.
void drawCentredText(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text)
{
    if (painter.paintEngine()->type() == QPaintEngine::Raster) {
        painter.setFont(font);
        painter.drawText(rect, Qt::AlignHCenter, text);
        return;
    }
    const QFontMetricsF metrics(font);
    QPainterPath path;
    path.addText(QPointF(rect.left() + (rect.width() - metrics.horizontalAdvance(text)) / 2, rect.top() + metrics.ascent()),
                 font, text);
    painter.fillPath(path, painter.pen().color());
}

} // namespace

QFont labelFont(const QrStyleRecord &style)
{
    QFont font;
    const QString family = resolveLabelFont(style.labelFontFamily, style.labelBold == 1);
    if (!family.isEmpty())
        font.setFamily(family);
    // A bold file may register under the same family name as its regular file (the
    // CJK collections do), so the weight is what picks the bold face among them.
    if (style.labelBold == 1 && hasBoldFontFile(style.labelFontFamily))
        font.setWeight(QFont::Bold);
    if (style.labelPointSize > 0)
        font.setPointSize(style.labelPointSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, style.labelLetterSpacing);
    return font;
}

QPoint codeOrigin(const QrStyleRecord &style)
{
    const bool top = !style.labelText.isEmpty() && style.labelPosition == QLatin1String("top");
    return QPoint(style.margin, style.margin + (top ? 2 * style.labelPointSize : 0));
}

void drawLabel(QPainter &painter, const QImage &code, const QrStyleRecord &style)
{
    painter.drawImage(codeOrigin(style), code);
    drawCaption(painter, style);
}

void drawCaption(QPainter &painter, const QrStyleRecord &style)
{
    const int pointSize = style.labelPointSize;
    const bool top = style.labelPosition == QLatin1String("top");

    painter.setPen(style.labelColor);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // A vector device's resolution would scale the letter spacing: its caption is
    // measured as on a picture, and drawn as outlines of that.
    QImage picture(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPaintDevice *canvas = painter.paintEngine()->type() == QPaintEngine::Raster ? painter.device() : &picture;
    const QFont font = canvasFont(style, pointSize, style.labelLetterSpacing, canvas);
    const double width = QFontMetricsF(font).horizontalAdvance(style.labelText);
    const double room = style.imageSize;

    if (style.labelPosition == QLatin1String("center")) {
        // The width is guessed at one point size per character, which centres
        // Chinese captions well enough; a caption that would leave the picture so
        // is centred by its measured width.
        const int side = style.codeSize();
        const double baseline = pointSize / 2 + style.margin + side / 2;
        const double x = side / 2 - (pointSize * style.labelText.size()) / 2;
        const bool inside = x >= 0 && x + width <= room;
        const Caption caption = inside ? Caption{font, style.labelText, width} : fitCaption(style, canvas);
        QPainterPath path;
        path.addText(QPointF(inside ? x : (room - caption.width) / 2,
                             baseline + (lineHeight(font) - lineHeight(caption.font)) / 2),
                     caption.font, caption.text);
        painter.strokePath(path, QPen(Qt::white, 8));
        painter.drawPath(path);
        painter.fillPath(path, QBrush(style.labelColor));
        return;
    }
    const int y = top ? pointSize / 2 + style.margin : style.imageSize;
    if (width <= room) {
        drawCentredText(painter, QRect(0, y, style.imageSize, 2 * pointSize), font, style.labelText);
        return;
    }
    const Caption caption = fitCaption(style, canvas);
    const double shift = (lineHeight(font) - lineHeight(caption.font)) / 2;
    drawCentredText(painter, QRectF(0, y + shift, style.imageSize, 2 * pointSize), caption.font, caption.text);
}
