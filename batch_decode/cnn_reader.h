#pragma once

#include "batch_decode/found_code.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>

#include <memory>
#include <vector>

#include <opencv2/core.hpp>

namespace cv {
namespace wechat_qrcode {
class WeChatQRCode;
}
}

// The CNN detector of OpenCV's wechat_qrcode with its four model files. Safe to
// use from several threads: each call borrows a detector of its own, built when
// no idle one is left, so there are never more detectors than threads using them.
// A pass needs about 13 bytes per picture pixel, so passes run at once only while
// their pictures hold at most 16 megapixels together: two 12-megapixel photos are
// read one after the other.
class CnnReader
{
public:
    // Builds the first detector; isReady() tells whether the model files loaded.
    explicit CnnReader(const QStringList &modelPaths);
    ~CnnReader();

    CnnReader(const CnnReader &) = delete;
    CnnReader &operator=(const CnnReader &) = delete;

    bool isReady() const;
    // The codes the detector finds in an 8-bit grey picture.
    QList<FoundCode> read(const cv::Mat &grey);

private:
    using Detector = std::unique_ptr<cv::wechat_qrcode::WeChatQRCode>;

    const QStringList modelPaths;
    QMutex idleMutex;
    std::vector<Detector> idle;
    QSemaphore megapixels{16};
    bool ready = false;
};
