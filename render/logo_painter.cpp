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

QRectF logoRect(const QRectF &box, QSize logo)
{
    QSizeF size(logo);
    size.scale(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

void drawLogo(QImage &code, const QImage &logo, const QrStyleRecord &style, int symbolWidth)
{
    QPainter painter(&code);
    paintLogo(painter, logo, style, symbolWidth);
}

void paintLogo(QPainter &painter, const QImage &logo, const QrStyleRecord &style, int symbolWidth)
{
    const QRectF area = logoRect(logoBox(style), logo.size());
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (style.logoFrame != 0) {
        const double pad = logoFramePad(style, symbolWidth);
        painter.setBrush(style.logoFrameColor);
        painter.drawRoundedRect(area.adjusted(-pad, -pad, pad, pad), 20, 20, Qt::RelativeSize);
    }
    painter.drawImage(area, logo, QRectF(logo.rect()));
}
