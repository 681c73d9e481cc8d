#pragma once

#include <QImage>

// The picture as 8-bit palette indices with a table of at most 256 colours, alpha
// dropped. A picture of up to 256 colours keeps them exactly; a richer one gets a
// palette made for it that holds pure black and pure white, so that a code on it
// stays crisp. Null when memory runs out.
QImage reduceToPalette(const QImage &image);
