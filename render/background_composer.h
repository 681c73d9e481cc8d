#pragma once

#include <QImage>
#include <QString>

struct QrStyleRecord;

// The output canvas goes on a background at the record's offset, turned about its
// own centre when codeRotation is above 0.

// The canvas on a still background, written in the format of the path's suffix.
bool saveOnStillBackground(QImage background, const QImage &canvas, const QrStyleRecord &style,
                           const QString &path);

// The canvas on the frames of the animated background at style.backgroundPath,
// written as an animated GIF: the first frames of the background, at most 15 of
// them, with their own delays and its loop count. A background the reader cannot
// animate gives a GIF of `firstFrame` with the canvas on it. False when the GIF
// cannot be written.
bool saveOnAnimatedBackground(const QImage &firstFrame, const QImage &canvas, const QrStyleRecord &style,
                              const QString &path);
