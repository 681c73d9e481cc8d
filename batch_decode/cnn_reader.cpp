#include "batch_decode/cnn_reader.h"

#include "batch_decode/detector_models.h"
#include "batch_decode/payload_text.h"
#include "batch_decode/zxing_reader.h"

#include <QMutexLocker>
#include <QScopeGuard>

#include <algorithm>

#include <opencv2/imgproc.hpp>
#include <opencv2/wechat_qrcode.hpp>

namespace {

// The detector gives the payload bytes as stored: Kanji segments in Shift-JIS,
// character-set designators dropped. So ZXing-C++, which knows the segment modes,
// reads the code again on its own, with a quiet zone, 300 to 1000 pixels wide.
QString codeText(const cv::Mat &grey, const cv::Rect &box, const QByteArray &bytes)
{
    // ASCII reads the same in every mode and character set.
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return uchar(byte) < 0x80; }))
        return QString::fromLatin1(bytes);
    const int side = std::max(box.width, box.height);
    const cv::Rect area(box.x - side / 4, box.y - side / 4, box.width + side / 2, box.height + side / 2);
    const cv::Rect inside = area & cv::Rect(0, 0, grey.cols, grey.rows);
    cv::Mat crop(area.size(), CV_8UC1, cv::Scalar(255));
    grey(inside).copyTo(crop(inside - area.tl()));
    if (side < 300)
        cv::resize(crop, crop, cv::Size(), 300.0 / side, 300.0 / side, cv::INTER_CUBIC);
    else if (side > 1000)
        cv::resize(crop, crop, cv::Size(), 1000.0 / side, 1000.0 / side, cv::INTER_AREA);
    for (const FoundCode &code : readWithZxing(crop)) {
        if (code.bytes == bytes)
            return code.text;
    }
    // Without the segment modes a Kanji segment reads as Shift_JIS bytes, which the guess knows.
    return payloadText(bytes);
}

}

CnnReader::CnnReader(const QStringList &modelPaths)
    : modelPaths(modelPaths)
{
    if (Detector first = buildDetector(modelPaths)) {
        idle.push_back(std::move(first));
        ready = true;
    }
}

CnnReader::~CnnReader() = default;

bool CnnReader::isReady() const
{
    return ready;
}

QList<FoundCode> CnnReader::read(const cv::Mat &grey)
{
    Detector detector;
    {
        QMutexLocker lock(&idleMutex);
        if (!idle.empty()) {
            detector = std::move(idle.back());
            idle.pop_back();
        }
    }
    if (!detector)
        detector = buildDetector(modelPaths);
    if (!detector)
        return QList<FoundCode>();
    const int size = int(std::clamp<qint64>(qint64(grey.total()) / 1000000 + 1, 1, 16));
    megapixels.acquire(size);
    const auto release = qScopeGuard([this, size] { megapixels.release(size); });
    const auto giveBack = qScopeGuard([this, &detector] {
        QMutexLocker lock(&idleMutex);
        idle.push_back(std::move(detector));
    });
    std::vector<cv::Mat> corners;
    const std::vector<std::string> payloads = detector->detectAndDecode(grey, corners);
    QList<FoundCode> codes;
    for (size_t i = 0; i < payloads.size() && i < corners.size(); ++i) {
        const QByteArray bytes(payloads[i].data(), int(payloads[i].size()));
        // Four corners of the detector's box around the code, clockwise from top left.
        QPolygonF quad;
        for (int j = 0; j < corners[i].rows; ++j)
            quad << QPointF(corners[i].at<float>(j, 0), corners[i].at<float>(j, 1));
        const QRect box = quad.boundingRect().toAlignedRect();
        if (box.isEmpty())
            continue;
        codes << FoundCode{bytes, codeText(grey, cv::Rect(box.x(), box.y(), box.width(), box.height()), bytes), quad};
    }
    return codes;
}
