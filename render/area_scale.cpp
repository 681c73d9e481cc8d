#include "render/area_scale.h"

#include <QVector>

#include <cstring>

namespace {

// Where output pixel i of side pixels falls on source pixels of count pixels:
// the first source pixel it covers and that pixel's share, in units of 1/side of
// a source pixel; the next source pixel takes the rest of count.
struct Span
{
    int first;
    int firstWeight;
};

QVector<Span> spans(int count, int side)
{
    QVector<Span> result(side);
    for (int i = 0; i < side; ++i) {
        // Output pixel i covers [i * count, (i + 1) * count) in units of 1/side.
        const qint64 start = qint64(i) * count;
        const int first = int(start / side);
        const qint64 firstEnd = qint64(first + 1) * side;
        result[i] = {first, int(qMin<qint64>(start + count, firstEnd) - start)};
    }
    return result;
}

} // namespace

QImage scaledByArea(const QImage &image, int side)
{
    const int count = image.width();
    if (image.isNull() || image.height() != count || side < count)
        return QImage();
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(side, side, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return result;
    const QVector<Span> along = spans(count, side);
    const double perWeight = 1.0 / (double(count) * count);
    for (int y = 0; y < side; ++y) {
        const Span row = along.at(y);
        QRgb *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        // Rows inside one source row are alike.
        if (y > 0 && row.firstWeight == count && along.at(y - 1).first == row.first
            && along.at(y - 1).firstWeight == count) {
            memcpy(out, result.constScanLine(y - 1), size_t(side) * sizeof(QRgb));
            continue;
        }
        const QRgb *top = reinterpret_cast<const QRgb *>(source.constScanLine(row.first));
        const QRgb *bottom = row.firstWeight < count ? reinterpret_cast<const QRgb *>(source.constScanLine(row.first + 1)) : top;
        for (int x = 0; x < side; ++x) {
            const Span column = along.at(x);
            if (row.firstWeight == count && column.firstWeight == count) {
                out[x] = top[column.first];
                continue;
            }
            const int next = column.firstWeight < count ? column.first + 1 : column.first;
            const int w00 = row.firstWeight * column.firstWeight;
            const int w01 = row.firstWeight * (count - column.firstWeight);
            const int w10 = (count - row.firstWeight) * column.firstWeight;
            const int w11 = (count - row.firstWeight) * (count - column.firstWeight);
            const QRgb a = top[column.first], b = top[next], c = bottom[column.first], d = bottom[next];
            // Premultiplied channels mix linearly, and their mean is premultiplied again.
            QRgb pixel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const int sum = w00 * int((a >> shift) & 0xff) + w01 * int((b >> shift) & 0xff)
                    + w10 * int((c >> shift) & 0xff) + w11 * int((d >> shift) & 0xff);
                pixel |= QRgb(sum * perWeight + 0.5) << shift;
            }
            out[x] = pixel;
        }
    }
    return result;
}
