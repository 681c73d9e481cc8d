#pragma once

#include "gif/gif_frame.h"

#include <QSize>
#include <QVector>
#include <QtGlobal>

// What a GifImage holds; read by the writer.
struct GifImagePrivate
{
    // A negative width or height means no size was given.
    QSize screenSize;
    int loopCount = 0;
    // False: no looping extension at all.
    bool looping = true;
    int defaultDelay = 1000;
    QVector<GifFrame> frames;

    // The given size, or when either side is missing, just large enough for all frames.
    QSize savedScreenSize() const
    {
        if (screenSize.width() >= 0 && screenSize.height() >= 0)
            return screenSize;
        int width = -1;
        int height = -1;
        for (const GifFrame &frame : frames) {
            width = qMax(width, frame.offset.x() + frame.image.width());
            height = qMax(height, frame.offset.y() + frame.image.height());
        }
        return QSize(width, height);
    }
};
