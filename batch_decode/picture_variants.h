#pragma once

#include "batch_decode/found_code.h"

#include <opencv2/core.hpp>

class CnnReader;

// The codes the CNN detector finds in prepared versions of a picture in which
// nothing was found, tried cheapest first until one gives a code: dark modules
// thickened (thin or worn print, light ink), a small picture enlarged three
// times (codes of one pixel a module), the picture turned by 45 degrees (codes
// standing on a corner), and the quadrilateral of the finder patterns made
// square (strong perspective). The corners are in the picture's own pixels.
// Large photos are prepared at about two megapixels, so that a photo without
// any code costs about four more detector passes on a picture of that size.
QList<FoundCode> readPictureVariants(const cv::Mat &grey, CnnReader &cnn);

enum class PictureVariant { Thickened, Enlarged, Turned, Rectified };

// The codes the CNN detector finds in one variant; none from Enlarged for a
// picture of 400 pixels or more, none from Rectified without finder patterns.
QList<FoundCode> readPictureVariant(const cv::Mat &grey, CnnReader &cnn, PictureVariant variant);
