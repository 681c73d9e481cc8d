#pragma once

#include <QFont>
#include <QImage>

class QPainter;
struct QrStyleRecord;

// Resolution at which caption point sizes become pixels, on every screen and
// without one.
constexpr double captionDpi = 96.0;

// The caption font: the registered family (or the name as given), point size and
// absolute letter spacing. Bold comes only from choosing the bold font file.
QFont labelFont(const QrStyleRecord &style);

// Where the scaled code's top-left corner goes on the output canvas.
QPoint codeOrigin(const QrStyleRecord &style);

// Places the scaled code on the output canvas and draws the caption above, below
// or across it.
void drawLabel(QPainter &painter, const QImage &code, const QrStyleRecord &style);

// The caption alone, on any painter in output-canvas pixels; on a vector device as
// outlines.
void drawCaption(QPainter &painter, const QrStyleRecord &style);
