#include "render/background_composer.h"

#include "gif/gif_image.h"
#include "render/background_picture.h"
#include "render/image_file.h"
#include "render/qr_style_record.h"

#include <QPainter>
#include <QTransform>

QTransform canvasPlacement(const QrStyleRecord &style)
{
    // Doubles: offsets come from users and must not overflow.
    const QPointF offset(style.codeOffsetX, style.codeOffsetY);
    QTransform transform;
    if (style.codeRotation > 0) {
        const QPointF centre = offset + QPointF(style.imageSize / 2, style.canvasHeight() / 2);
        transform.translate(centre.x(), centre.y()).rotate(style.codeRotation).translate(-centre.x(), -centre.y());
    }
    return QTransform::fromTranslate(offset.x(), offset.y()) * transform;
}

namespace {

QImage placeCanvas(QImage picture, const QImage &canvas, const QrStyleRecord &style)
{
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(canvasPlacement(style));
    painter.drawImage(QPoint(0, 0), canvas);
    painter.end();
    return picture;
}

} // namespace

bool canvasFitsOn(const QrStyleRecord &style, QSize background)
{
    // Rounding of the turned corners must not refuse a canvas that exactly fits.
    constexpr double slack = 1e-6;
    const QRectF area = canvasPlacement(style).mapRect(QRectF(0, 0, style.imageSize, style.canvasHeight()));
    return area.left() >= -slack && area.top() >= -slack && area.right() <= background.width() + slack
        && area.bottom() <= background.height() + slack;
}

bool saveOnBackground(const BackgroundPicture &background, const QImage &canvas, const QrStyleRecord &style,
                      const QString &path)
{
    if (!background.animated)
        return writeImageFile(placeCanvas(background.frames.first(), canvas, style), path);
    GifImage gif(background.size());
    if (background.looping)
        gif.setLoopCount(background.loopCount);
    else
        gif.clearLoopCount();
    for (int i = 0; i < background.frames.size(); ++i)
        gif.addFrame(placeCanvas(background.frames.at(i), canvas, style), QPoint(0, 0), background.delays.value(i, -1));
    return gif.save(path);
}
