#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

// A background read once and then shared read-only by every code put on it.
struct BackgroundPicture
{
    // The still picture, or the frames an animated output keeps: the first frames
    // of the file, every second one of a long animation, at most 15.
    QVector<QImage> frames;
    // Milliseconds per frame; -1 for the default.
    QVector<int> delays;
    // Codes on it are written as animated GIF pictures.
    bool animated = false;
    // The file's looping extension: whether it has one, and its repeat count.
    bool looping = false;
    int loopCount = 0;

    bool isNull() const { return frames.isEmpty(); }
    QSize size() const { return frames.isEmpty() ? QSize() : frames.first().size(); }
};

// Reads the picture at path, as the frames of an animation when animated is set and
// the file is one. False when it cannot be read, or declares more pixels than
// allowed, counting every frame kept: then refusedSize gets the declared size and
// refusedFrames the number of frames kept.
bool readBackgroundPicture(const QString &path, bool animated, BackgroundPicture *picture, QSize *refusedSize,
                           int *refusedFrames = nullptr);
