// Writes the same composed animation two ways and prints size and PSNR of each:
// our GIF writer, and a lossless GIF of the frames (tiles of at most 256 colours)
// for gifsicle to optimise. Usage:
//   gif_bench frames <static|partial|motion> <folder>   writes ours.gif and lossless.gif
//   gif_bench psnr <static|partial|motion> <file.gif>     PSNR of the file's frames, in dB
#include "gif/gif_image.h"
#include "render/qr_style_record.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSet>
#include <QtMath>

#include <gif_lib.h>

#include <cstdio>

namespace {

constexpr int frameCount = 10;
constexpr int delayMs = 100;

// A photo-like picture: smooth colour fields with fine grain, shifted by `pan` pixels.
QImage scene(int pan)
{
    QImage image(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int u = x + pan;
            const int grain = int((quint32(u * 73856093) ^ quint32(y * 19349663)) % 13) - 6;
            line[x] = qRgb(qBound(0, int(128 + 100 * qSin(u / 40.0 + y / 70.0)) + grain, 255),
                           qBound(0, int(128 + 100 * qSin(y / 50.0 + 1)) + grain, 255),
                           qBound(0, int(128 + 100 * qCos((u + y) / 90.0)) + grain, 255));
        }
    }
    return image;
}

QVector<QImage> composedFrames(const QString &kind, const QString &folder)
{
    QrStyleRecord style;
    style.imageSize = 500;
    style.canvasAlpha = 0.1;
    style.lightModuleSize = 50.0;
    style.labelText = QStringLiteral("张三");
    style.labelPointSize = 30;
    style.labelLetterSpacing = 12;
    style.labelFontFamily = QStringLiteral("黑体");
    style.content = QStringLiteral("https://example.com/orders/2024?id=12345");
    const QString canvasPath = folder + QStringLiteral("/canvas.png");
    if (!style.render(canvasPath))
        return {};
    const QImage canvas(canvasPath);
    const QImage still = scene(0);
    QVector<QImage> frames;
    for (int i = 0; i < frameCount; ++i) {
        QImage frame = kind == QLatin1String("motion") ? scene(12 * i) : still;
        QPainter painter(&frame);
        if (kind == QLatin1String("partial")) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromHsv(36 * i, 200, 230));
            painter.drawEllipse(QPointF(40 + 20 * i, 80 + 40 * i), 35, 35);
        }
        painter.drawImage(QPoint(280, 20), canvas);
        painter.end();
        frames << frame;
    }
    return frames;
}

// Splits a rectangle until every part holds at most 256 colours.
void tiles(const QImage &frame, const QRect &rect, QVector<QRect> *out)
{
    QSet<QRgb> colours;
    for (int y = rect.top(); y <= rect.bottom() && colours.size() <= 256; ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            colours.insert(frame.pixel(x, y));
    if (colours.size() <= 256) {
        *out << rect;
        return;
    }
    const bool wide = rect.width() >= rect.height();
    const QRect first = wide ? QRect(rect.x(), rect.y(), rect.width() / 2, rect.height())
                             : QRect(rect.x(), rect.y(), rect.width(), rect.height() / 2);
    tiles(frame, first, out);
    tiles(frame, wide ? QRect(first.right() + 1, rect.y(), rect.width() - first.width(), rect.height())
                      : QRect(rect.x(), first.bottom() + 1, rect.width(), rect.height() - first.height()), out);
}

int writeBytes(GifFileType *gif, const GifByteType *bytes, int length)
{
    return int(static_cast<QFile *>(gif->UserData)->write(reinterpret_cast<const char *>(bytes), length));
}

// Every frame as exact tiles; only the last tile of a frame has the frame's delay.
bool writeLossless(const QVector<QImage> &frames, const QString &path)
{
    QFile file(path);
    int error = 0;
    GifFileType *gif = file.open(QIODevice::WriteOnly) ? EGifOpen(&file, writeBytes, &error) : nullptr;
    if (!gif)
        return false;
    gif->SWidth = frames.first().width();
    gif->SHeight = frames.first().height();
    gif->SColorResolution = 8;
    for (const QImage &frame : frames) {
        QVector<QRect> parts;
        tiles(frame, frame.rect(), &parts);
        for (int t = 0; t < parts.size(); ++t) {
            const QRect &r = parts.at(t);
            QVector<QRgb> table;
            SavedImage *saved = GifMakeSavedImage(gif, nullptr);
            saved->RasterBits = static_cast<GifByteType *>(malloc(size_t(r.width()) * size_t(r.height())));
            for (int y = 0; y < r.height(); ++y)
                for (int x = 0; x < r.width(); ++x) {
                    const QRgb c = frame.pixel(r.x() + x, r.y() + y);
                    int index = table.indexOf(c);
                    if (index < 0) {
                        index = table.size();
                        table << c;
                    }
                    saved->RasterBits[y * r.width() + x] = GifByteType(index);
                }
            saved->ImageDesc = GifImageDesc{r.x(), r.y(), r.width(), r.height(), false, nullptr};
            saved->ImageDesc.ColorMap = GifMakeMapObject(1 << GifBitSize(table.size()), nullptr);
            for (int i = 0; i < table.size(); ++i)
                saved->ImageDesc.ColorMap->Colors[i] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                                                        GifByteType(qBlue(table[i]))};
            GraphicsControlBlock control{DISPOSE_DO_NOT, false, t + 1 == parts.size() ? delayMs / 10 : 0, NO_TRANSPARENT_COLOR};
            EGifGCBToSavedExtension(&control, gif, gif->ImageCount - 1);
        }
    }
    return EGifSpew(gif) == GIF_OK;
}

// The frames a viewer shows: the screen after every picture with a delay.
QVector<QImage> shownFrames(const QString &path)
{
    int error = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    QVector<QImage> shown;
    if (!gif || DGifSlurp(gif) != GIF_OK)
        return shown;
    QImage screen(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    screen.fill(Qt::black);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &saved = gif->SavedImages[i];
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, i, &control);
        const ColorMapObject *map = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        const QImage before = screen;
        const GifImageDesc &d = saved.ImageDesc;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const int index = saved.RasterBits[y * d.Width + x];
                if (index == control.TransparentColor)
                    continue;
                const GifColorType c = map->Colors[index];
                screen.setPixel(d.Left + x, d.Top + y, qRgb(c.Red, c.Green, c.Blue));
            }
        if (control.DelayTime > 0 || i + 1 == gif->ImageCount)
            shown << screen;
        if (control.DisposalMode == DISPOSE_PREVIOUS)
            screen = before;
        else if (control.DisposalMode == DISPOSE_BACKGROUND)
            QPainter(&screen).fillRect(d.Left, d.Top, d.Width, d.Height, Qt::black);
    }
    DGifCloseFile(gif, &error);
    return shown;
}

double psnr(const QVector<QImage> &reference, const QVector<QImage> &shown)
{
    if (reference.size() != shown.size())
        return -1;
    double squares = 0;
    qint64 samples = 0;
    for (int f = 0; f < reference.size(); ++f)
        for (int y = 0; y < reference[f].height(); ++y)
            for (int x = 0; x < reference[f].width(); ++x) {
                const QRgb a = reference[f].pixel(x, y);
                const QRgb b = shown[f].pixel(x, y);
                squares += qPow(qRed(a) - qRed(b), 2) + qPow(qGreen(a) - qGreen(b), 2) + qPow(qBlue(a) - qBlue(b), 2);
                samples += 3;
            }
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * samples / squares);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args.at(1) != QLatin1String("frames") && args.at(1) != QLatin1String("psnr"))) {
        std::fprintf(stderr, "usage: gif_bench frames|psnr static|partial|motion <folder|file.gif>\n");
        return 2;
    }
    const QString work = args.at(1) == QLatin1String("frames") ? args.at(3) : QFileInfo(args.at(3)).path();
    const QVector<QImage> frames = composedFrames(args.at(2), work);
    if (frames.isEmpty())
        return 1;
    if (args.at(1) == QLatin1String("psnr")) {
        std::printf("%.1f\n", psnr(frames, shownFrames(args.at(3))));
        return 0;
    }
    GifImage ours(frames.first().size());
    for (const QImage &frame : frames)
        ours.addFrame(frame, QPoint(), delayMs);
    return ours.save(args.at(3) + QStringLiteral("/ours.gif")) && writeLossless(frames, args.at(3) + QStringLiteral("/lossless.gif")) ? 0 : 1;
}
