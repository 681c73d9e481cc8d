#include "gif/gif_image.h"

#include "common/guarded_file.h"
#include "gif/gif_image_private.h"
#include "gif/gif_writer.h"

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
    return writeGuardedFile(fileName, [this](QIODevice *device) { return write(device); });
}

bool GifImage::write(QIODevice *device) const
{
    return writeGif(*d, device);
}
