#include "render/background_picture.h"

#include "common/input_file.h"
#include "common/input_limits.h"
#include "gif/gif_loop_count.h"
#include "render/image_file.h"

#include <QFile>
#include <QImageReader>

namespace {

constexpr int maxFrameSteps = 30;
constexpr int framesForEverySecondStep = 10;

// Long animations keep every second step of the first 30, so an output holds at
// most 15 frames.
bool takesFrame(int step, int count)
{
    return step < maxFrameSteps && (count < framesForEverySecondStep || step % 2 == 0);
}

// False when the frames kept would hold more pixels than one picture may: every
// code drawn on the background is composed onto each of them.
bool readFrames(const QString &path, BackgroundPicture *picture, int *refusedFrames)
{
    QFile file;
    if (!openInputFile(file, path))
        return true;
    QImageReader reader(&file);
    if (!reader.supportsAnimation() || !pictureSizeAllowed(reader))
        return true;
    // The reader moves on only when a frame is read, so skipped steps skip no
    // frame: the output holds the first frames of the background.
    const int count = reader.imageCount();
    int kept = 0;
    for (int step = 0; step < count; ++step)
        kept += takesFrame(step, count) ? 1 : 0;
    const QSize size = decodedPictureSize(reader);
    if (qint64(size.width()) * size.height() * kept > maxPicturePixels) {
        if (refusedFrames)
            *refusedFrames = kept;
        return false;
    }
    QVector<QImage> frames;
    QVector<int> delays;
    for (int step = 0; step < count && step < maxFrameSteps; ++step) {
        if (!reader.canRead() || !takesFrame(step, count))
            continue;
        const QImage frame = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (frame.isNull())
            continue;
        frames << frame;
        // Asked after reading: until a frame is read the reader reports the delay
        // of the frame before it.
        delays << reader.nextImageDelay();
    }
    if (frames.isEmpty())
        return true;
    picture->frames = frames;
    picture->delays = delays;
    if (file.seek(0))
        picture->looping = readGifLoopCount(file.readAll(), &picture->loopCount);
    return true;
}

} // namespace

bool readBackgroundPicture(const QString &path, bool animated, BackgroundPicture *picture, QSize *refusedSize,
                           int *refusedFrames)
{
    *picture = BackgroundPicture();
    const QImage first = readImageFile(path, refusedSize);
    if (first.isNull())
        return false;
    picture->frames << first;
    picture->delays << -1;
    picture->animated = animated;
    if (animated && !readFrames(path, picture, refusedFrames)) {
        if (refusedSize)
            *refusedSize = first.size();
        *picture = BackgroundPicture();
        return false;
    }
    return true;
}
