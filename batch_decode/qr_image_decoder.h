#pragma once

#include <QString>

class CnnReader;

// Stands between the texts of several codes found in one picture. Chosen so that
// no ordinary text contains it, and free of commas, quotes and line breaks so that
// a CSV cell holding it needs no quoting on its account.
constexpr char resultSeparator[] = "<<##NEXTQR##>>";
static_assert(sizeof(resultSeparator) == 15, "the separator has 14 characters");

// Which engines read the codes. Both: ZXing-C++ first, several times faster and
// reading about as many; the CNN detector then reads the pictures where it finds
// no code or several (some of a group may be beyond it). With the CNN, a picture
// in which nothing is found is tried again in prepared variants.
enum class DecodeEngines { Cnn, Zxing, Both };

// Text after the last "." of the path in lower case; the whole path without a dot.
QString lowerFileSuffix(const QString &path);

// Texts of all codes found in the picture, in reading order, joined by
// resultSeparator; empty when the picture cannot be read or holds no readable
// code. Without a CNN reader (no model files) ZXing-C++ reads alone. allFormats:
// ZXing-C++ reads every symbology it knows as well (the CNN reads QR codes only).
QString decodeQrImage(const QString &picturePath, DecodeEngines engines, CnnReader *cnn, bool allFormats = false);
