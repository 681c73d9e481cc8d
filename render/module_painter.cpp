#include "render/module_painter.h"

#include "render/qr_style_record.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <initializer_list>

namespace {

// Transparent image of the given side; empty when the side is not positive.
QImage blankStamp(int side)
{
    if (side <= 0)
        return QImage();
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A transparent stamp of side times scale pixels, with a painter that draws on it
// in the coordinates of side.
QImage beginStamp(QPainter &painter, int side, double scale)
{
    QImage image = blankStamp(qRound(side * scale));
    if (image.isNull())
        return image;
    painter.begin(&image);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    if (scale != 1.0)
        painter.scale(scale, scale);
    return image;
}

// Rings and centres of finder and alignment patterns.
void drawEyeLayer(QPainter &painter, int eyeShape, const QRectF &rect, const QColor &color)
{
    painter.setBrush(color);
    if (eyeShape == 0)
        painter.drawRect(rect);
    else if (eyeShape == 2)
        painter.drawRoundedRect(rect, 20, 20, Qt::RelativeSize);
    else
        painter.drawEllipse(rect);
}

QImage makeModuleMark(const QrStyleRecord &style, double side, const QColor &color, double scale)
{
    QPainter painter;
    QImage image = beginStamp(painter, style.moduleSize, scale);
    if (image.isNull())
        return image;
    painter.fillPath(moduleMarkPath(style, side), color);
    painter.end();
    return image;
}

constexpr int quarter = 90;

} // namespace

void paintEyeBackdrop(QPainter &painter, const QrStyleRecord &style)
{
    QColor backdrop(Qt::white);
    backdrop.setAlphaF(qBound(0.0, style.eyeBackdropAlpha, 1.0));
    drawEyeLayer(painter, style.eyeShape, QRectF(0, 0, 450, 450), backdrop);
}

void paintEye(QPainter &painter, const QrStyleRecord &style)
{
    const int m = style.moduleSize;
    paintEyeBackdrop(painter, style);
    drawEyeLayer(painter, style.eyeShape, QRectF(m, m, 350, 350), style.eyeOuterColor);
    drawEyeLayer(painter, style.eyeShape, QRectF(100, 100, 250, 250), Qt::white);
    drawEyeLayer(painter, style.eyeShape, QRectF(150, 150, 150, 150), style.eyeInnerColor);
}

void paintAlignment(QPainter &painter, const QrStyleRecord &style)
{
    const int m = style.moduleSize;
    drawEyeLayer(painter, style.eyeShape, QRectF(0, 0, 250, 250), style.eyeOuterColor);
    drawEyeLayer(painter, style.eyeShape, QRectF(m, m, 150, 150), Qt::white);
    drawEyeLayer(painter, style.eyeShape, QRectF(100, 100, m, m), style.eyeInnerColor);
}

QPainterPath moduleMarkPath(const QrStyleRecord &style, double side)
{
    QPainterPath path;
    const double offset = (style.moduleSize - side) * 0.5;
    const QRectF rect(offset, offset, side, side);
    if (style.moduleShape != 0)
        path.addEllipse(rect);
    else
        path.addRect(rect);
    return path;
}

QPainterPath shapedModulePath(const QString &shape)
{
    const QRectF disc(0, 0, 50, 50);
    QPainterPath path;
    // Each rounded shape is a pie of the inscribed circle united with the square's
    // remainder: one outline, so that neither part cuts the other.
    auto pie = [&](int start, int span) {
        QPainterPath slice;
        slice.moveTo(disc.center());
        slice.arcTo(disc, start, span);
        slice.closeSubpath();
        return slice;
    };
    auto pieAndRect = [&](int start, int span, const QRectF &rect) {
        QPainterPath rest;
        rest.addRect(rect);
        path = pie(start, span).united(rest);
    };
    auto pieAndPolygon = [&](int start, std::initializer_list<QPointF> corners) {
        QPainterPath rest;
        rest.addPolygon(QPolygonF(QVector<QPointF>(corners)));
        rest.closeSubpath();
        path = pie(start, quarter).united(rest);
    };
    if (shape == QLatin1String("Round"))
        path.addEllipse(disc);
    else if (shape == QLatin1String("Square"))
        path.addRect(disc);
    else if (shape == QLatin1String("RoundTop"))
        pieAndRect(0, 2 * quarter, QRectF(0, 25, 50, 25));
    else if (shape == QLatin1String("RoundRight"))
        pieAndRect(3 * quarter, 2 * quarter, QRectF(0, 0, 25, 50));
    else if (shape == QLatin1String("RoundBottom"))
        pieAndRect(2 * quarter, 2 * quarter, QRectF(0, 0, 50, 25));
    else if (shape == QLatin1String("RoundLeft"))
        pieAndRect(quarter, 2 * quarter, QRectF(25, 0, 25, 50));
    else if (shape == QLatin1String("RoundLeftTop"))
        pieAndPolygon(quarter, {{0, 25}, {0, 50}, {50, 50}, {50, 0}, {25, 0}});
    else if (shape == QLatin1String("RoundLeftBottom"))
        pieAndPolygon(2 * quarter, {{25, 50}, {50, 50}, {50, 0}, {0, 0}, {0, 25}});
    else if (shape == QLatin1String("RoundRightTop"))
        pieAndPolygon(0, {{25, 0}, {0, 0}, {0, 50}, {50, 50}, {50, 25}});
    else if (shape == QLatin1String("RoundRightBottom"))
        pieAndPolygon(3 * quarter, {{50, 25}, {50, 0}, {0, 0}, {0, 50}, {25, 50}});
    return path;
}

QImage makeEyePixmap(const QrStyleRecord &style, double scale)
{
    QPainter painter;
    QImage image = beginStamp(painter, 450, scale);
    if (image.isNull())
        return image;
    paintEye(painter, style);
    painter.end();
    return image;
}

QImage makeAlignmentPixmap(const QrStyleRecord &style, double scale)
{
    QPainter painter;
    QImage image = beginStamp(painter, 250, scale);
    if (image.isNull())
        return image;
    paintAlignment(painter, style);
    painter.end();
    return image;
}

QImage makeDarkModulePixmap(const QrStyleRecord &style, double scale)
{
    // The connected style draws shaped stamps instead.
    if (style.moduleShape == 2)
        return blankStamp(qRound(style.moduleSize * scale));
    return makeModuleMark(style, style.darkModuleSize, style.darkModuleColor, scale);
}

QImage makeLightModulePixmap(const QrStyleRecord &style, double scale)
{
    return makeModuleMark(style, style.lightModuleSize, style.lightModuleColor, scale);
}

QImage makeShapedModulePixmap(const QrStyleRecord &style, const QString &shape, double scale)
{
    QPainter painter;
    QImage image = beginStamp(painter, style.moduleSize, scale);
    if (image.isNull())
        return image;
    painter.fillPath(shapedModulePath(shape), style.darkModuleColor);
    painter.end();
    return image;
}

QString connectedShapeName(bool above, bool right, bool below, bool left)
{
    const int mask = (above ? 1 : 0) | (right ? 2 : 0) | (below ? 4 : 0) | (left ? 8 : 0);
    switch (mask) {
    case 0: return QStringLiteral("Round");
    case 4: return QStringLiteral("RoundTop");
    case 8: return QStringLiteral("RoundRight");
    case 1: return QStringLiteral("RoundBottom");
    case 2: return QStringLiteral("RoundLeft");
    case 2 | 4: return QStringLiteral("RoundLeftTop");
    case 1 | 2: return QStringLiteral("RoundLeftBottom");
    case 8 | 4: return QStringLiteral("RoundRightTop");
    case 1 | 8: return QStringLiteral("RoundRightBottom");
    default: return QStringLiteral("Square");
    }
}

QStringList connectedShapeNames()
{
    return {QStringLiteral("Round"), QStringLiteral("RoundTop"), QStringLiteral("RoundRight"),
            QStringLiteral("RoundBottom"), QStringLiteral("RoundLeft"), QStringLiteral("RoundLeftTop"),
            QStringLiteral("RoundLeftBottom"), QStringLiteral("RoundRightTop"),
            QStringLiteral("RoundRightBottom"), QStringLiteral("Square")};
}
