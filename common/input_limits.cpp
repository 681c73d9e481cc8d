#include "common/input_limits.h"

#include <QFile>
#include <QImageReader>
#include <QString>

#include <cstring>

namespace {

// The logical screen of a GIF file: bytes 6 to 9, little-endian.
QSize gifScreenSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QSize();
    const QByteArray header = file.read(10);
    if (header.size() < 10 || !header.startsWith("GIF"))
        return QSize();
    const auto word = [&header](int at) { return uchar(header.at(at)) | uchar(header.at(at + 1)) << 8; };
    return QSize(word(6), word(8));
}

} // namespace

QSize declaredPictureSize(QImageReader &reader)
{
    const QSize size = reader.size();
    if (!size.isValid() || reader.format() != "gif")
        return size;
    return size.expandedTo(gifScreenSize(reader.fileName()));
}

bool pictureSizeAllowed(QImageReader &reader)
{
    const QSize size = declaredPictureSize(reader);
    return size.isValid() && !size.isEmpty() && qint64(size.width()) * size.height() <= maxPicturePixels;
}

bool contentLengthAllowed(const QString &content)
{
    // Quick answers for the two ends; the count below is exact for the rest.
    if (content.size() > maxContentDigits)
        return false;
    if (content.size() * 3 <= maxContentBytes)
        return true;
    qint64 digits = 0;
    qint64 alphanumeric = 0;
    for (const QChar c : content) {
        const char ascii = c.unicode() < 0x80 ? char(c.unicode()) : '\0';
        if (ascii >= '0' && ascii <= '9')
            ++digits;
        else if ((ascii >= 'A' && ascii <= 'Z') || (ascii && std::strchr(" $%*+-./:", ascii)))
            ++alphanumeric;
    }
    const qint64 bytes = content.toUtf8().size() - digits - alphanumeric;
    // Each kind's share of the largest code, in whole numbers: together at most all of it.
    const qint64 whole = qint64(maxContentDigits) * maxContentAlphanumeric * maxContentBytes;
    return digits * maxContentAlphanumeric * maxContentBytes + alphanumeric * maxContentDigits * maxContentBytes
               + bytes * maxContentDigits * maxContentAlphanumeric
        <= whole;
}
