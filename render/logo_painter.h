#pragma once

#include <QImage>
#include <QRectF>

class QPainter;
struct QrStyleRecord;

// Where the logo goes on the scaled code: the given size when both sides are set,
// otherwise a square of a fifth of the code (less at level L, which has the least
// error correction to lose), centred.
QRectF logoBox(const QrStyleRecord &style);

// Pads the logo frame by 0.4 of a module at the canvas width, so it covers whole
// module edges around the logo.
double logoFramePad(const QrStyleRecord &style, int symbolWidth);

// Where a logo of this size goes in its box: as large as fits with its own
// proportions, centred.
QRectF logoRect(const QRectF &box, QSize logo);

// Paints the logo, smoothly scaled into its box, over the centre of the code, on
// a rounded frame around it when the record asks for one.
void drawLogo(QImage &code, const QImage &logo, const QrStyleRecord &style, int symbolWidth);

// The same on any painter in the scaled code's pixels, the frame as a shape.
void paintLogo(QPainter &painter, const QImage &logo, const QrStyleRecord &style, int symbolWidth);
