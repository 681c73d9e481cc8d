#pragma once

#include <QString>

#include <opencv2/core.hpp>

// The picture file as 8-bit grey, turned as its orientation tag says; alpha is
// dropped, not blended. Empty when the file cannot be read or declares more
// pixels than allowed.
cv::Mat readGreyPicture(const QString &path);
