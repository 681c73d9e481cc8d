#include "render/image_file.h"

#include "common/input_limits.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

QImage readImageFile(const QString &path, QSize *refusedSize)
{
    if (path.isEmpty())
        return QImage();
    for (const QByteArray &format : {QByteArray(), QByteArray("PNG"), QByteArray("JPG")}) {
        QImageReader reader(path, format);
        if (!reader.canRead())
            continue;
        if (!pictureSizeAllowed(reader)) {
            if (refusedSize && reader.size().isValid())
                *refusedSize = reader.size();
            return QImage();
        }
        const QImage image = reader.read();
        if (!image.isNull())
            return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return QImage();
}

bool writeImageFile(const QImage &image, const QString &path)
{
    if (image.isNull())
        return false;
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, format);
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    // commit() misses a failure of the last buffered write, so that is flushed first.
    return file.flush() && file.commit();
}
