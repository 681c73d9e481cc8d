#pragma once

#include <QString>

#include <opencv2/core.hpp>

class QImage;

namespace cv {
namespace wechat_qrcode {
class WeChatQRCode;
}
}

// Stands between the texts of several codes found in one picture. Chosen so that
// no ordinary text contains it, and free of commas, quotes and line breaks so that
// a CSV cell holding it needs no quoting on its account.
constexpr char resultSeparator[] = "<<##NEXTQR##>>";
static_assert(sizeof(resultSeparator) == 15, "the separator has 14 characters");

// Text after the last "." of the path in lower case; the whole path without a dot.
QString lowerFileSuffix(const QString &path);

// The picture as 8-bit blue-green-red pixels. Alpha is dropped, not blended.
cv::Mat qImageToMat(const QImage &image);

// Texts of all codes the detector finds in the picture, joined by resultSeparator;
// empty when the picture cannot be read or holds no readable code.
QString decodeQrImage(const QString &picturePath, cv::wechat_qrcode::WeChatQRCode &detector);
