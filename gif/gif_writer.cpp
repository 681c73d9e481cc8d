#include "gif/gif_writer.h"

#include "gif/gif_image_private.h"
#include "gif/palette_reduction.h"

#include <QIODevice>
#include <QRect>
#include <QVector>
#include <QtGlobal>

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>

namespace {

// Sizes, positions and delays are unsigned 16-bit numbers in the file.
constexpr int maxGifWord = 0xFFFF;

struct OutputTarget
{
    QIODevice *device;
    // giflib does not check every write (the trailer's, for one), so failures are kept here too.
    bool failed;
};

int writeToDevice(GifFileType *gifFile, const GifByteType *bytes, int length)
{
    auto *target = static_cast<OutputTarget *>(gifFile->UserData);
    const qint64 written = target->device->write(reinterpret_cast<const char *>(bytes), length);
    if (written != length)
        target->failed = true;
    return written < 0 ? -1 : static_cast<int>(written);
}

bool fitsGifWord(int value)
{
    return value >= 0 && value <= maxGifWord;
}

bool fitsGif(const GifImagePrivate &gif, QSize screen)
{
    if (!fitsGifWord(screen.width()) || !fitsGifWord(screen.height()))
        return false;
    for (const GifFrame &frame : gif.frames) {
        if (!fitsGifWord(frame.offset.x()) || !fitsGifWord(frame.offset.y())
            || !fitsGifWord(frame.image.width()) || !fitsGifWord(frame.image.height()))
            return false;
    }
    return true;
}

// The part of a frame that differs from the frame before, when both cover the same
// place; the whole frame otherwise. An unchanged frame keeps one pixel, since every
// frame must hold a picture.
QRect changedRect(const GifFrame *previous, const GifFrame &frame)
{
    const QRect whole(QPoint(0, 0), frame.image.size());
    if (!previous || previous->offset != frame.offset || previous->image.size() != frame.image.size())
        return whole;
    const QImage before = previous->image.convertToFormat(QImage::Format_RGB32);
    const QImage after = frame.image.convertToFormat(QImage::Format_RGB32);
    if (before.isNull() || after.isNull())
        return whole;
    int left = after.width();
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < after.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(before.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(after.constScanLine(y));
        int x = 0;
        while (x < after.width() && a[x] == b[x])
            ++x;
        if (x == after.width())
            continue;
        int last = after.width() - 1;
        while (a[last] == b[last])
            --last;
        left = qMin(left, x);
        right = qMax(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    if (top < 0)
        return QRect(0, 0, 1, 1);
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Made by giflib so that giflib frees it; entries past the table stay black.
ColorMapObject *makeGifColorMap(const QVector<QRgb> &table)
{
    ColorMapObject *map = GifMakeMapObject(1 << GifBitSize(table.size()), nullptr);
    if (!map)
        return nullptr;
    for (int i = 0; i < table.size(); ++i) {
        map->Colors[i].Red = static_cast<GifByteType>(qRed(table.at(i)));
        map->Colors[i].Green = static_cast<GifByteType>(qGreen(table.at(i)));
        map->Colors[i].Blue = static_cast<GifByteType>(qBlue(table.at(i)));
    }
    return map;
}

bool fillSavedImage(SavedImage *saved, const GifFrame *previous, const GifFrame &frame)
{
    const QRect part = changedRect(previous, frame);
    const QImage image = reduceToPalette(part.size() == frame.image.size() ? frame.image : frame.image.copy(part));
    if (image.isNull())
        return false;
    const int width = image.width();
    const int height = image.height();
    saved->ImageDesc.Left = frame.offset.x() + part.x();
    saved->ImageDesc.Top = frame.offset.y() + part.y();
    saved->ImageDesc.Width = width;
    saved->ImageDesc.Height = height;
    saved->ImageDesc.Interlace = false;
    saved->ImageDesc.ColorMap = makeGifColorMap(image.colorTable());
    saved->RasterBits = static_cast<GifByteType *>(std::malloc(size_t(width) * size_t(height)));
    if (!saved->ImageDesc.ColorMap || !saved->RasterBits)
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(saved->RasterBits + size_t(y) * size_t(width), image.constScanLine(y), size_t(width));
    return true;
}

bool addLoopExtension(SavedImage *saved, int loopCount)
{
    unsigned char name[11];
    std::memcpy(name, "NETSCAPE2.0", sizeof name);
    const auto count = static_cast<quint16>(loopCount);
    unsigned char loop[3] = {1, static_cast<unsigned char>(count & 0xFF),
                             static_cast<unsigned char>(count >> 8)};
    return GifAddExtensionBlock(&saved->ExtensionBlockCount, &saved->ExtensionBlocks,
                                APPLICATION_EXT_FUNC_CODE, sizeof name, name) == GIF_OK
        && GifAddExtensionBlock(&saved->ExtensionBlockCount, &saved->ExtensionBlocks,
                                CONTINUE_EXT_FUNC_CODE, sizeof loop, loop) == GIF_OK;
}

bool addControlBlock(GifFileType *picture, int index, int delay)
{
    GraphicsControlBlock control;
    // Later frames may hold only what changed: the rest must stay on screen.
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = qBound(0, delay / 10, maxGifWord);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    return EGifGCBToSavedExtension(&control, picture, index) == GIF_OK;
}

bool fillFrames(const GifImagePrivate &gif, GifFileType *picture)
{
    const int count = gif.frames.size();
    if (count == 0)
        return true;
    picture->SavedImages = static_cast<SavedImage *>(std::calloc(size_t(count), sizeof(SavedImage)));
    if (!picture->SavedImages)
        return false;
    picture->ImageCount = count;
    for (int i = 0; i < count; ++i) {
        const GifFrame &frame = gif.frames.at(i);
        SavedImage *saved = &picture->SavedImages[i];
        if (!fillSavedImage(saved, i > 0 ? &gif.frames.at(i - 1) : nullptr, frame))
            return false;
        if (i == 0 && gif.looping && !addLoopExtension(saved, gif.loopCount))
            return false;
        const int delay = frame.delay == -1 ? gif.defaultDelay : frame.delay;
        if (!addControlBlock(picture, i, delay))
            return false;
    }
    return true;
}

bool encode(const GifFileType &picture, QSize screen, QIODevice *device)
{
    OutputTarget target{device, false};
    int error = E_GIF_SUCCEEDED;
    GifFileType *encoder = EGifOpen(&target, writeToDevice, &error);
    if (!encoder) {
        const char *text = GifErrorString(error);
        qWarning("%s", text ? text : "GIF encoder could not be opened");
        return false;
    }
    encoder->SWidth = screen.width();
    encoder->SHeight = screen.height();
    encoder->SColorResolution = 8;
    encoder->ImageCount = picture.ImageCount;
    encoder->SavedImages = picture.SavedImages;
    // EGifSpew closes and frees the encoder only when it gets to the end.
    if (EGifSpew(encoder) != GIF_OK) {
        EGifCloseFile(encoder, nullptr);
        return false;
    }
    return !target.failed;
}

} // namespace

bool writeGif(const GifImagePrivate &gif, QIODevice *device)
{
    const QSize screen = gif.savedScreenSize();
    if (!fitsGif(gif, screen))
        return false;
    // Owns the frames; the encoder only borrows them, closing it never frees them.
    GifFileType picture{};
    const bool written = fillFrames(gif, &picture) && encode(picture, screen, device);
    GifFreeSavedImages(&picture);
    return written;
}
