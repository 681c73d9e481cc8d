#pragma once

#include <QtGlobal>

// Every limit on what the program accepts as input, in one place. A limit refuses
// the item with a message; nothing is ever silently shrunk to fit.

// Largest picture, in pixels as its file declares them, that is decoded at all:
// pictures, logos and backgrounds. Checked before decoding, so that a small file
// declaring a huge picture cannot take the machine's memory.
constexpr qint64 maxPicturePixels = 64'000'000;

// Longest content any QR code can hold: 7,089 digits in numeric mode. Longer
// content fails at once instead of keeping the encoder busy.
constexpr int maxContentDigits = 7089;
// Longest content in byte mode (version 40, level L).
constexpr int maxContentBytes = 2953;

// Largest style file read; a style takes about a kilobyte.
constexpr qint64 maxStyleFileBytes = 64 * 1024;

class QImageReader;

// True when the reader's picture declares a size of at most maxPicturePixels. A
// picture whose size cannot be told without decoding it is refused as well.
bool pictureSizeAllowed(QImageReader &reader);
