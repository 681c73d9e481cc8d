#pragma once

#include "batch_decode/found_code.h"

#include <opencv2/core.hpp>

// The QR codes ZXing-C++ finds in an 8-bit grey picture, each with the text its
// segment modes and character-set designators give. When the picture as it is
// gives none, it is tried inverted (light codes on a dark ground), at a third of
// its size (noise and blur averaged out) and with its histogram equalised (faded
// prints, low contrast), until one of them gives a code. allFormats: every
// symbology ZXing-C++ knows (EAN, UPC, Code 128, Data Matrix, ...), not QR alone.
QList<FoundCode> readWithZxing(const cv::Mat &grey, bool allFormats = false);
