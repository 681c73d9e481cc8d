#include "render/image_file.h"

#include "common/guarded_file.h"

#include <QFileInfo>
#include <QImageWriter>

QImage readImageFile(const QString &path)
{
    if (path.isEmpty())
        return QImage();
    QImage image;
    for (const char *format : {static_cast<const char *>(nullptr), "PNG", "JPG"}) {
        if (image.load(path, format))
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
    return writeGuardedFile(path, [&](QIODevice *device) { return QImageWriter(device, format).write(image); });
}
