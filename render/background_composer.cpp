#include "render/background_composer.h"

#include "gif/gif_image.h"
#include "render/image_file.h"
#include "render/qr_style_record.h"

#include <QImageReader>
#include <QPainter>

namespace {

constexpr int maxFrameSteps = 30;
constexpr int framesForEverySecondStep = 10;

// Long animations keep every second step of the first 30, so an output holds at
// most 15 frames.
bool takesFrame(int step, int count)
{
    return step < maxFrameSteps && (count < framesForEverySecondStep || step % 2 == 0);
}

// The reader reports endless repetition as -1; GIF files write it as 0.
int outputLoopCount(int readerLoopCount)
{
    return readerLoopCount == -1 ? 0 : readerLoopCount;
}

void placeCanvas(QImage &picture, const QImage &canvas, const QrStyleRecord &style)
{
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Doubles: offsets come from users and must not overflow.
    const QPointF offset(style.codeOffsetX, style.codeOffsetY);
    if (style.codeRotation > 0) {
        const QPointF centre = offset + QPointF(style.imageSize / 2, style.canvasHeight() / 2);
        painter.translate(centre);
        painter.rotate(style.codeRotation);
        painter.translate(-centre);
    }
    painter.drawImage(offset, canvas);
}

} // namespace

bool saveOnStillBackground(QImage background, const QImage &canvas, const QrStyleRecord &style,
                           const QString &path)
{
    placeCanvas(background, canvas, style);
    return writeImageFile(background, path);
}

bool saveOnAnimatedBackground(const QImage &firstFrame, const QImage &canvas, const QrStyleRecord &style,
                              const QString &path)
{
    GifImage gif(firstFrame.size());
    int frames = 0;
    QImageReader reader(style.backgroundPath);
    if (reader.supportsAnimation()) {
        gif.setLoopCount(outputLoopCount(reader.loopCount()));
        // The reader moves on only when a frame is read, so skipped steps skip no
        // frame: the output holds the first frames of the background.
        const int count = reader.imageCount();
        for (int step = 0; step < count && step < maxFrameSteps; ++step) {
            if (!reader.canRead() || !takesFrame(step, count))
                continue;
            QImage frame = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (frame.isNull())
                continue;
            // Asked after reading: until a frame is read the reader reports the delay
            // of the frame before it.
            const int delay = reader.nextImageDelay();
            placeCanvas(frame, canvas, style);
            gif.addFrame(frame, QPoint(0, 0), delay);
            ++frames;
        }
    }
    if (frames == 0) {
        QImage still = firstFrame;
        placeCanvas(still, canvas, style);
        gif.addFrame(still, QPoint(0, 0), -1);
    }
    return gif.save(path);
}
