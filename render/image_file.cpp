#include "render/image_file.h"

#include "common/guarded_file.h"
#include "common/input_file.h"
#include "common/input_limits.h"
#include "render/png_encoder.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

QImage readImageFile(const QString &path, QSize *refusedSize)
{
    QFile file;
    if (!openInputFile(file, path))
        return QImage();
    for (const QByteArray &format : {QByteArray(), QByteArray("PNG"), QByteArray("JPG")}) {
        if (!file.seek(0))
            return QImage();
        QImageReader reader(&file, format);
        if (!reader.canRead())
            continue;
        if (!pictureSizeAllowed(reader)) {
            if (refusedSize)
                *refusedSize = decodedPictureSize(reader);
            return QImage();
        }
        if (pictureTooComplex(reader))
            return QImage();
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
    if (format != "png")
        return writeGuardedFile(path, [&](QIODevice *device) { return QImageWriter(device, format).write(image); });
    const QByteArray png = encodePng(image);
    return !png.isEmpty() && writeGuardedFile(path, [&](QIODevice *device) { return device->write(png) == png.size(); });
}
