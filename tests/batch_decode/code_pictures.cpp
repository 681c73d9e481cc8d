#include "code_pictures.h"

#include <QFile>
#include <QPainter>

#include <gif_lib.h>

#include <qrencode.h>

#include <memory>

namespace {

const int quietZone = 4;

using Symbol = std::unique_ptr<QRcode, decltype(&QRcode_free)>;

Symbol encode(const QByteArray &payload)
{
    return Symbol(QRcode_encodeString(payload.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
}

}

QImage codeImage(const QByteArray &payload, int moduleSize)
{
    const Symbol symbol = encode(payload);
    if (!symbol)
        return QImage();
    const int modules = symbol->width + 2 * quietZone;
    QImage image(modules * moduleSize, modules * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < symbol->width; ++y) {
        for (int x = 0; x < symbol->width; ++x) {
            if (symbol->data[y * symbol->width + x] & 1)
                painter.fillRect((x + quietZone) * moduleSize, (y + quietZone) * moduleSize, moduleSize, moduleSize, Qt::black);
        }
    }
    return image;
}

QImage sideBySide(const QImage &left, const QImage &right)
{
    QImage image(left.width() + right.width(), qMax(left.height(), right.height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, left);
    painter.drawImage(left.width(), 0, right);
    return image;
}

QByteArray codeSvg(const QByteArray &payload)
{
    const Symbol symbol = encode(payload);
    const int modules = symbol->width + 2 * quietZone;
    QByteArray svg = QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='") + QByteArray::number(modules * 4)
        + "' height='" + QByteArray::number(modules * 4) + "' viewBox='0 0 " + QByteArray::number(modules) + ' '
        + QByteArray::number(modules) + "'><rect width='100%' height='100%' fill='white'/>";
    for (int y = 0; y < symbol->width; ++y) {
        for (int x = 0; x < symbol->width; ++x) {
            if (symbol->data[y * symbol->width + x] & 1)
                svg += "<rect x='" + QByteArray::number(x + quietZone) + "' y='" + QByteArray::number(y + quietZone)
                    + "' width='1' height='1'/>";
        }
    }
    return svg + "</svg>";
}

bool saveGif(const QImage &image, const QString &path)
{
    int error = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif)
        return false;
    GifColorType colours[2] = {{0, 0, 0}, {255, 255, 255}};
    ColorMapObject *map = GifMakeMapObject(2, colours);
    bool ok = EGifPutScreenDesc(gif, image.width(), image.height(), 1, 1, map) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    QVector<GifPixelType> line(image.width());
    for (int y = 0; ok && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            line[x] = qGray(image.pixel(x, y)) > 127 ? 1 : 0;
        ok = EGifPutLine(gif, line.data(), image.width()) == GIF_OK;
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}
