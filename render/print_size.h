#pragma once

#include <QString>

// Where physical sizes meet pixels: every millimetre of the program becomes
// pixels here.

constexpr double millimetresPerInch = 25.4;
// The PNG resolution of a code given a printed size but no resolution.
constexpr int defaultPrintDpi = 300;
// Printed modules smaller than this are read badly by phone cameras.
constexpr double smallestPrintedModule = 0.4;

// Pixels covering a length printed at a resolution.
int printPixels(double millimetres, int dpi);

// Pixels a metre of a picture printed at a resolution, as PNG stores it.
int dotsPerMeter(int dpi);

// A length such as "30mm", "1.5in" or "38.1" (millimetres), in millimetres; false
// when it is no positive number of millimetres or inches.
bool readLength(const QString &text, double *millimetres);

// Two lengths joined by separator, such as "70x37mm" or "3,2mm", the unit given
// once at the end; false unless both are positive (or zero when zeroAllowed).
bool readLengthPair(const QString &text, QChar separator, bool zeroAllowed, double *first, double *second);

// Why a PNG printed this wide at this resolution cannot be drawn, in Chinese;
// empty when it can (or without a width).
QString printSizeError(double millimetres, int dpi);
