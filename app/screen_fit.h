#pragma once

#include <QList>
#include <QRect>

// The window's remembered place moved, and shrunk down to its minimum, into the
// available area of the screen it overlaps most, else of the first screen.
QRect fitIntoScreens(const QRect &wanted, const QList<QRect> &available, const QSize &minimum);
