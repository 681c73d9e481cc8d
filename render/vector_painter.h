#pragma once

#include <QString>

class QPainter;
struct PreparedCode;

// The output of a prepared code on any painter, in output pixels: background,
// canvas colour, code, logo and caption. The modules come from the same layout as
// the pictures' stamps; the dark ones are filled as one path, so that touching
// modules leave no seam at any zoom.
void paintOutput(QPainter &painter, const PreparedCode &code);

// The vector formats a code can be written in.
bool isVectorFormat(const QString &suffix);

// The output written as an SVG or PDF file (by the suffix of path) declared
// widthMillimetres wide. False, leaving no file, when it cannot be written or the
// background is animated.
bool writeVectorFile(const QString &path, const PreparedCode &code, double widthMillimetres);
