#include "gif/palette_reduction.h"

#include <QHash>
#include <QVector>

#include <libimagequant.h>

#include <memory>

namespace {

constexpr int maxColours = 256;

// An 8-bit picture whose table is the picture's own colours, or null when it has
// more than a table holds.
QImage exactPalette(const QImage &rgb)
{
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return indexed;
    QHash<QRgb, int> index;
    QVector<QRgb> table;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            auto found = index.constFind(line[x]);
            if (found == index.constEnd()) {
                if (table.size() == maxColours)
                    return QImage();
                found = index.insert(line[x], table.size());
                table.append(line[x]);
            }
            out[x] = static_cast<uchar>(found.value());
        }
    }
    indexed.setColorTable(table);
    return indexed;
}

struct LiqDeleter
{
    void operator()(liq_attr *attr) const { liq_attr_destroy(attr); }
    void operator()(liq_image *image) const { liq_image_destroy(image); }
    void operator()(liq_result *result) const { liq_result_destroy(result); }
};
template <class T> using LiqPointer = std::unique_ptr<T, LiqDeleter>;

QImage quantized(const QImage &rgb)
{
    const QImage rgba = rgb.convertToFormat(QImage::Format_RGBA8888);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    if (rgba.isNull() || indexed.isNull())
        return QImage();
    const LiqPointer<liq_attr> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), maxColours) != LIQ_OK)
        return QImage();
    QVector<void *> rows(rgba.height());
    for (int y = 0; y < rgba.height(); ++y)
        rows[y] = const_cast<uchar *>(rgba.constScanLine(y));
    const LiqPointer<liq_image> image(
        liq_image_create_rgba_rows(attr.get(), rows.data(), rgba.width(), rgba.height(), 0));
    if (!image)
        return QImage();
    liq_image_add_fixed_color(image.get(), liq_color{0, 0, 0, 255});
    liq_image_add_fixed_color(image.get(), liq_color{255, 255, 255, 255});
    liq_result *raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK)
        return QImage();
    const LiqPointer<liq_result> result(raw);
    // Each pixel takes its nearest colour: error diffusion makes the grain users see
    // as noise, grows the file, and would speckle the pure black and white that the
    // fixed colours above keep exact.
    liq_set_dithering_level(result.get(), 0.0f);
    QVector<unsigned char *> out(indexed.height());
    for (int y = 0; y < indexed.height(); ++y)
        out[y] = indexed.scanLine(y);
    if (liq_write_remapped_image_rows(result.get(), image.get(), out.data()) != LIQ_OK)
        return QImage();

    const liq_palette *palette = liq_get_palette(result.get());
    QVector<QRgb> table;
    for (unsigned i = 0; i < palette->count; ++i)
        table.append(qRgb(palette->entries[i].r, palette->entries[i].g, palette->entries[i].b));
    indexed.setColorTable(table);
    return indexed;
}

} // namespace

QImage reduceToPalette(const QImage &image)
{
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() >= 1 && image.colorCount() <= maxColours) {
        bool fits = true;
        for (int y = 0; y < image.height() && fits; ++y) {
            const uchar *line = image.constScanLine(y);
            for (int x = 0; x < image.width() && fits; ++x)
                fits = line[x] < image.colorCount();
        }
        if (fits)
            return image;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        return rgb;
    const QImage exact = exactPalette(rgb);
    return exact.isNull() ? quantized(rgb) : exact;
}
