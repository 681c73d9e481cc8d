#include "render/image_file.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

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
    return file.commit();
}
