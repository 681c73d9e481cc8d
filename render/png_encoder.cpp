#include "render/png_encoder.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

void appendWord(QByteArray &bytes, quint32 word)
{
    char big[4];
    qToBigEndian(word, big);
    bytes.append(big, 4);
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    appendWord(png, quint32(data.size()));
    const int start = png.size();
    png.append(type, 4);
    png.append(data);
    appendWord(png, quint32(crc32(0, reinterpret_cast<const Bytef *>(png.constData() + start), uInt(png.size() - start))));
}

} // namespace

QByteArray encodePng(const QImage &image)
{
    if (image.isNull())
        return QByteArray();
    const int width = image.width();
    const int height = image.height();
    // PNG keeps straight alpha; Qt's writer unpremultiplies the same way. Converted a
    // row at a time: Qt splits a whole picture of this size over its global threads
    // and waits for them, which costs more than it saves while rows are drawn at once.
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    std::vector<QRgb> pixels(size_t(width) * size_t(height));
    // Bits left over when red, green and blue are alike, and alpha bits all pixels share.
    quint32 colour = 0;
    quint32 alpha = 0xff;
    for (int y = 0; y < height; ++y) {
        QImage row(image.constScanLine(y), width, 1, image.bytesPerLine(), image.format());
        row.setColorTable(image.colorTable());
        const QImage converted = row.convertToFormat(format);
        if (converted.isNull())
            return QByteArray();
        const QRgb *line = reinterpret_cast<const QRgb *>(converted.constScanLine(0));
        std::copy(line, line + width, pixels.begin() + qint64(y) * width);
        for (int x = 0; x < width; ++x) {
            colour |= (line[x] ^ (line[x] >> 8)) & 0xffff;
            alpha &= line[x] >> 24;
        }
    }
    const bool grey = colour == 0;
    const bool opaque = alpha == 0xff;
    const int channels = (grey ? 1 : 3) + (opaque ? 0 : 1);
    const qint64 stride = 1 + qint64(width) * channels;
    if (stride * height > std::numeric_limits<int>::max() / 2)
        return QByteArray();
    std::vector<uchar> rows(size_t(stride * height));
    for (int y = 0; y < height; ++y) {
        const QRgb *line = pixels.data() + qint64(y) * width;
        uchar *out = rows.data() + y * stride;
        *out++ = 0;
        // One loop per colour type: this runs for every pixel of every picture.
        switch (channels) {
        case 1:
            for (int x = 0; x < width; ++x)
                out[x] = uchar(qRed(line[x]));
            break;
        case 2:
            for (int x = 0; x < width; ++x) {
                out[2 * x] = uchar(qRed(line[x]));
                out[2 * x + 1] = uchar(qAlpha(line[x]));
            }
            break;
        case 3:
            for (int x = 0; x < width; ++x) {
                out[3 * x] = uchar(qRed(line[x]));
                out[3 * x + 1] = uchar(qGreen(line[x]));
                out[3 * x + 2] = uchar(qBlue(line[x]));
            }
            break;
        default:
            for (int x = 0; x < width; ++x) {
                out[4 * x] = uchar(qRed(line[x]));
                out[4 * x + 1] = uchar(qGreen(line[x]));
                out[4 * x + 2] = uchar(qBlue(line[x]));
                out[4 * x + 3] = uchar(qAlpha(line[x]));
            }
        }
    }
    // Code pictures are flat and compress well as they are; a photo under a code
    // compresses better as its difference to the row above (filter type 2).
    if (!grey) {
        for (int y = height - 1; y > 0; --y) {
            uchar *row = rows.data() + y * stride;
            row[0] = 2;
            for (qint64 i = 1; i < stride; ++i)
                row[i] = uchar(row[i] - row[i - stride]);
        }
    }
    uLongf packedSize = compressBound(uLong(rows.size()));
    QByteArray packed(int(packedSize), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize, rows.data(), uLong(rows.size()), Z_BEST_SPEED)
        != Z_OK)
        return QByteArray();
    packed.truncate(int(packedSize));

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendWord(header, quint32(width));
    appendWord(header, quint32(height));
    const char colourType = grey ? (opaque ? 0 : 4) : (opaque ? 2 : 6);
    const char depthAndTypes[5] = {8, colourType, 0, 0, 0};
    header.append(depthAndTypes, 5);
    appendChunk(png, "IHDR", header);
    if (image.dotsPerMeterX() > 0 || image.dotsPerMeterY() > 0) {
        QByteArray resolution;
        appendWord(resolution, quint32(qMax(0, image.dotsPerMeterX())));
        appendWord(resolution, quint32(qMax(0, image.dotsPerMeterY())));
        resolution.append(char(1)); // per metre
        appendChunk(png, "pHYs", resolution);
    }
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", QByteArray());
    return png;
}
