#include "render/image_file.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

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
