#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <memory>

class QIODevice;
struct GifImagePrivate;

// An animated picture collected in memory and written as a GIF file. Every frame
// gets a colour table of its own; no colour is transparent. A frame the size and
// place of the one before is stored as the rectangle that changed.
class GifImage
{
public:
    // A negative width or height lets the frames decide the screen size.
    explicit GifImage(QSize size);
    ~GifImage();
    GifImage(const GifImage &) = delete;
    GifImage &operator=(const GifImage &) = delete;

    // 0 repeats forever; written through its low 16 bits.
    void setLoopCount(int count);
    // No looping extension is written: viewers show the frames once.
    void clearLoopCount();
    // delay in milliseconds, -1 for the default second. A null image has nothing to
    // show and is not added.
    void addFrame(const QImage &image, QPoint offset, int delay);
    // An existing file is replaced only when the whole picture was written.
    bool save(const QString &fileName) const;
    // False when a size does not fit the format or encoding or writing fails.
    bool write(QIODevice *device) const;

private:
    std::unique_ptr<GifImagePrivate> d;
};
