#include "render/label_painter.h"

#include "render/font_registry.h"
#include "render/qr_style_record.h"

#include <QPainter>
#include <QPainterPath>

QFont labelFont(const QrStyleRecord &style)
{
    QFont font;
    const QString family = resolveLabelFont(style.labelFontFamily, style.labelBold == 1);
    if (!family.isEmpty())
        font.setFamily(family);
    if (style.labelPointSize > 0)
        font.setPointSize(style.labelPointSize);
    font.setLetterSpacing(QFont::AbsoluteSpacing, style.labelLetterSpacing);
    return font;
}

void drawLabel(QPainter &painter, const QImage &code, const QrStyleRecord &style)
{
    const int pointSize = style.labelPointSize;
    const bool top = style.labelPosition == QLatin1String("top");
    painter.drawImage(QPoint(style.margin, style.margin + (top ? 2 * pointSize : 0)), code);

    painter.setPen(style.labelColor);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = labelFont(style);
    painter.setFont(font);

    if (top) {
        painter.drawText(QRect(0, pointSize / 2 + style.margin, style.imageSize, 2 * pointSize), Qt::AlignHCenter,
                         style.labelText);
    } else if (style.labelPosition == QLatin1String("center")) {
        // The width is guessed at one point size per character, which centres
        // Chinese captions well enough.
        const int side = style.codeSize();
        const int length = style.labelText.size();
        QPainterPath path;
        path.addText(QPointF(side / 2 - (pointSize * length) / 2, pointSize / 2 + style.margin + side / 2), font,
                     style.labelText);
        painter.strokePath(path, QPen(Qt::white, 8));
        painter.drawPath(path);
        painter.fillPath(path, QBrush(style.labelColor));
    } else {
        painter.drawText(QRect(0, style.imageSize, style.imageSize, 2 * pointSize), Qt::AlignHCenter,
                         style.labelText);
    }
}
