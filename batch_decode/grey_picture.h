#pragma once

#include <QString>

#include <opencv2/core.hpp>

// The picture file as 8-bit grey, turned as its orientation tag says; alpha is
// dropped, not blended. Empty when the file cannot be read or declares more
// pixels than allowed. The pixels are held in the budget of pixel_budget.h for the
// calling thread until it releases them.
cv::Mat readGreyPicture(const QString &path);
