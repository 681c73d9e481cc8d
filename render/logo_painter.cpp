#include "render/logo_painter.h"

#include "render/qr_style_record.h"

#include <QPainter>

QRectF logoBox(const QrStyleRecord &style)
{
    const double side = style.codeSize();
    double width = side * (style.errorCorrectionLevel == 0 ? 0.15 : 0.2);
    double height = width;
    if (style.logoWidth >= 1 && style.logoHeight >= 1) {
        width = style.logoWidth;
        height = style.logoHeight;
    }
    return QRectF((side - width) * 0.5, (side - height) * 0.5, width, height);
}

double logoFramePad(const QrStyleRecord &style, int symbolWidth)
{
    return double(style.imageSize) / symbolWidth * 0.4;
}

void drawLogo(QImage &code, const QImage &logo, const QrStyleRecord &style, int symbolWidth)
{
    const QRectF box = logoBox(style);
    QPainter painter(&code);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    if (style.logoFrame != 0) {
        const double pad = logoFramePad(style, symbolWidth);
        painter.setBrush(style.logoFrameColor);
        painter.drawRoundedRect(box.adjusted(-pad, -pad, pad, pad), 20, 20, Qt::RelativeSize);
    }
    painter.drawImage(box, logo, QRectF(logo.rect()));
}
