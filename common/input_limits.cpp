#include "common/input_limits.h"

#include <QIODevice>
#include <QImageReader>
#include <QString>
#include <QXmlStreamReader>

#include <cstring>

namespace {

// Bytes of the device from an offset, its position kept for the reader.
QByteArray bytesAt(QIODevice *device, qint64 at, qint64 count)
{
    QByteArray bytes;
    if (!device || at < 0)
        return bytes;
    const qint64 position = device->pos();
    if (device->seek(at))
        bytes = device->read(count);
    device->seek(position);
    return bytes;
}

quint32 littleEndian(const QByteArray &bytes, int at, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | uchar(bytes.at(at + i));
    return value;
}

quint32 bigEndian(const QByteArray &bytes, int at)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | uchar(bytes.at(at + i));
    return value;
}

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);

// The size in a PNG file's header, given the file's first bytes.
QSize pngSize(const QByteArray &head)
{
    if (head.size() < 24 || !head.startsWith(pngSignature) || head.mid(12, 4) != "IHDR")
        return QSize();
    const quint32 width = bigEndian(head, 16);
    const quint32 height = bigEndian(head, 20);
    return width > 0x7FFFFFFF || height > 0x7FFFFFFF ? QSize() : QSize(int(width), int(height));
}

// The logical screen of a GIF file: bytes 6 to 9, little-endian.
QSize gifScreenSize(QIODevice *device)
{
    const QByteArray header = bytesAt(device, 0, 10);
    if (header.size() < 10 || !header.startsWith("GIF"))
        return QSize();
    return QSize(int(littleEndian(header, 6, 2)), int(littleEndian(header, 8, 2)));
}

// The largest picture of an ICO or CUR file, each read from its own header: a PNG
// inside is decoded at the size its header says, not the directory's.
QSize iconSize(QIODevice *device)
{
    const QByteArray header = bytesAt(device, 0, 6);
    if (header.size() < 6)
        return QSize();
    const int count = int(littleEndian(header, 4, 2));
    const QByteArray directory = bytesAt(device, 6, qint64(count) * 16);
    if (count == 0 || directory.size() < count * 16)
        return QSize();
    QSize largest;
    for (int entry = 0; entry < count; ++entry) {
        const int at = entry * 16;
        // A width or height of 0 stands for 256.
        const int listedWidth = uchar(directory.at(at)) ? uchar(directory.at(at)) : 256;
        const int listedHeight = uchar(directory.at(at + 1)) ? uchar(directory.at(at + 1)) : 256;
        largest = largest.expandedTo(QSize(listedWidth, listedHeight));
        const QByteArray head = bytesAt(device, littleEndian(directory, at + 12, 4), 24);
        if (head.startsWith(pngSignature)) {
            const QSize inside = pngSize(head);
            if (!inside.isValid())
                return QSize();
            largest = largest.expandedTo(inside);
        } else if (head.size() >= 12) {
            // A bitmap's height counts its mask as well.
            const qint64 width = qAbs(qint64(qint32(littleEndian(head, 4, 4))));
            const qint64 height = qAbs(qint64(qint32(littleEndian(head, 8, 4)))) / 2;
            if (width > 0xFFFF || height > 0xFFFF)
                return QSize();
            largest = largest.expandedTo(QSize(int(width), int(height)));
        }
    }
    return largest;
}

// The largest picture of an ICNS file. Its elements are small bitmaps of sizes
// fixed by their type, or whole PNG or JPEG 2000 files of any size: those in PNG
// are counted at their header's size; JPEG 2000 cannot be told, so not at all.
QSize appleIconSize(QIODevice *device, const QSize &listed)
{
    const qint64 length = device ? device->size() : 0;
    QSize largest = listed;
    for (qint64 at = 8; at + 8 <= length;) {
        const QByteArray head = bytesAt(device, at, 8 + 24);
        if (head.size() < 8)
            return QSize();
        const qint64 elementLength = bigEndian(head, 4);
        const QByteArray data = head.mid(8);
        if (data.startsWith(pngSignature)) {
            const QSize inside = pngSize(data);
            if (!inside.isValid())
                return QSize();
            largest = largest.expandedTo(inside);
        } else if (data.startsWith(QByteArray("\0\0\0\x0CjP  ", 8)) || data.startsWith("\xFF\x4F\xFF\x51")) {
            return QSize();
        }
        if (elementLength < 8)
            return QSize();
        at += elementLength;
    }
    return largest;
}

// Formats whose reported size is the size they decode to.
bool sizeIsDecodedSize(const QByteArray &format)
{
    static const QList<QByteArray> formats{"png",  "jpeg", "jpg", "bmp", "dib", "webp", "tif", "tiff", "pbm",
                                           "pgm",  "ppm",  "xbm", "xpm", "tga", "wbmp", "mng", "svg",  "svgz"};
    return formats.contains(format);
}

// Scans in a JPEG stream, counted by walking its segments; stops counting past the limit.
int jpegScanCount(QIODevice *device)
{
    constexpr qint64 chunkSize = 64 * 1024;
    enum { Marker, MarkerCode, LengthHigh, LengthLow, Segment, Entropy, EntropyMarker } state = Marker;
    qint64 remaining = 0;
    int scans = 0;
    bool scanHeader = false;
    for (qint64 at = 0; scans <= maxJpegScans; at += chunkSize) {
        const QByteArray chunk = bytesAt(device, at, chunkSize);
        if (chunk.isEmpty())
            break;
        for (int i = 0; i < chunk.size(); ++i) {
            const uchar byte = uchar(chunk.at(i));
            switch (state) {
            case Marker:
                state = byte == 0xFF ? MarkerCode : Marker;
                break;
            case MarkerCode:
            case EntropyMarker:
                if (byte == 0xFF)
                    break;
                if (state == EntropyMarker && (byte == 0x00 || (byte >= 0xD0 && byte <= 0xD7))) {
                    state = Entropy;
                    break;
                }
                // Markers without a length: start of file, restarts, end of file.
                if (byte == 0xD8 || byte == 0x01 || (byte >= 0xD0 && byte <= 0xD7) || byte == 0xD9) {
                    state = Marker;
                    break;
                }
                scanHeader = byte == 0xDA;
                scans += scanHeader ? 1 : 0;
                state = LengthHigh;
                break;
            case LengthHigh:
                remaining = qint64(byte) << 8;
                state = LengthLow;
                break;
            case LengthLow:
                remaining = (remaining | byte) - 2;
                state = remaining > 0 ? Segment : (scanHeader ? Entropy : Marker);
                break;
            case Segment: {
                const qint64 skipped = qMin(remaining, qint64(chunk.size() - i));
                remaining -= skipped;
                i += int(skipped) - 1;
                if (remaining == 0)
                    state = scanHeader ? Entropy : Marker;
                break;
            }
            case Entropy:
                state = byte == 0xFF ? EntropyMarker : Entropy;
                break;
            }
        }
    }
    return scans;
}

// Drawing commands in an SVG file: path letters and point pairs of polylines and
// polygons, each dash counted once per command for a dashed file. Stops past the limit.
qint64 svgDrawingCost(QIODevice *device)
{
    QXmlStreamReader xml(bytesAt(device, 0, device ? device->size() : 0));
    qint64 commands = 0;
    bool dashed = false;
    while (!xml.atEnd() && commands <= maxSvgDrawingCost) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringRef style = attributes.value(QLatin1String("style"));
        if (!attributes.value(QLatin1String("stroke-dasharray")).isEmpty() || style.contains(QLatin1String("dasharray")))
            dashed = true;
        for (const QChar c : attributes.value(QLatin1String("d")))
            commands += c.isLetter() ? 1 : 0;
        const QStringRef points = attributes.value(QLatin1String("points"));
        commands += points.isEmpty() ? 0 : points.count(QLatin1Char(',')) + 1;
    }
    // A dashed stroke is cut into pieces along every command: far slower to draw.
    return dashed ? commands * svgDashCost : commands;
}

} // namespace

QSize decodedPictureSize(QImageReader &reader)
{
    const QByteArray format = reader.format().toLower();
    // Icons are sized from their own pictures: the reader tells none, or the directory's.
    if (format == "ico" || format == "cur")
        return iconSize(reader.device());
    const QSize size = reader.size();
    if (!size.isValid())
        return size;
    if (format == "gif")
        return size.expandedTo(gifScreenSize(reader.device()));
    if (format == "icns")
        return appleIconSize(reader.device(), size);
    return sizeIsDecodedSize(format) ? size : QSize();
}

bool pictureSizeAllowed(QImageReader &reader)
{
    const QSize size = decodedPictureSize(reader);
    return size.isValid() && !size.isEmpty() && qint64(size.width()) * size.height() <= maxPicturePixels;
}

bool pictureTooComplex(QImageReader &reader)
{
    const QByteArray format = reader.format().toLower();
    if (format == "svg")
        return svgDrawingCost(reader.device()) > maxSvgDrawingCost;
    return (format == "jpeg" || format == "jpg") && jpegScanCount(reader.device()) > maxJpegScans;
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
