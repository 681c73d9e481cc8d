#pragma once

#include <opencv2/core.hpp>

// True when the grey picture holds more than maxFinderLookalikes places that look
// like a finder pattern (runs of 1:1:3:1:1 along a line, dark or light first).
// The detectors try every three of them as a code, so their time grows with the
// cube of that number: a small picture tiled with them holds one for many minutes.
bool tooManyFinderLookalikes(const cv::Mat &grey);
