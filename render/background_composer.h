#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QTransform>

struct BackgroundPicture;
struct QrStyleRecord;

// The output canvas goes on a background at the record's offset, turned about its
// own centre when codeRotation is above 0.

// Background pixels from output-canvas pixels.
QTransform canvasPlacement(const QrStyleRecord &style);

// True when the whole canvas, so placed, lies on a background of this size.
bool canvasFitsOn(const QrStyleRecord &style, QSize background);

// The canvas on the background, written in the format of the path's suffix, or for
// an animated background on each of its frames, as an animated GIF with the
// background's delays and looping.
bool saveOnBackground(const BackgroundPicture &background, const QImage &canvas, const QrStyleRecord &style,
                      const QString &path);
