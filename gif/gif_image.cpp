#include "gif/gif_image.h"

#include "gif/gif_image_private.h"
#include "gif/gif_writer.h"

#include <QSaveFile>

GifImage::GifImage(QSize size)
    : d(new GifImagePrivate)
{
    d->screenSize = size;
}

GifImage::~GifImage() = default;

void GifImage::setLoopCount(int count)
{
    d->loopCount = count;
    d->looping = true;
}

void GifImage::clearLoopCount()
{
    d->looping = false;
}

void GifImage::addFrame(const QImage &image, QPoint offset, int delay)
{
    if (image.isNull())
        return;
    d->frames.append(GifFrame{image, offset, delay});
}

bool GifImage::save(const QString &fileName) const
{
    // Written beside the target and renamed over it at the end, so a failed write
    // leaves neither a truncated file nor a damaged old one.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() misses a failure of the last buffered write, so that is flushed first.
    return write(&file) && file.flush() && file.commit();
}

bool GifImage::write(QIODevice *device) const
{
    return writeGif(*d, device);
}
