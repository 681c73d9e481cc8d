#pragma once

#include <QImage>
#include <QRectF>

struct QrStyleRecord;

// Where the logo goes on the scaled code: the given size when both sides are set,
// otherwise a square of a fifth of the code (less at level L, which has the least
// error correction to lose), centred.
QRectF logoBox(const QrStyleRecord &style);

// Pads the logo frame by 0.4 of a module at the canvas width, so it covers whole
// module edges around the logo.
double logoFramePad(const QrStyleRecord &style, int symbolWidth);

// Paints the logo, stretched to its box, over the centre of the code, on its
// rounded frame when the record asks for one.
void drawLogo(QImage &code, const QImage &logo, const QrStyleRecord &style, int symbolWidth);
