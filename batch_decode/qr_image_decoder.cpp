#include "batch_decode/qr_image_decoder.h"

#include "common/input_limits.h"
#include "common/text_codec.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/wechat_qrcode.hpp>

namespace {

// Payloads carry no encoding of their own. The leading ASCII byte keeps payload
// bytes such as FF FE from being taken for a byte-order mark; it changes neither
// UTF-8 nor GB18030 validity.
QString payloadText(const std::string &payload)
{
    const QByteArray bytes = QByteArray("A") + QByteArray(payload.data(), int(payload.size()));
    return decodeUnknownText(bytes).mid(1);
}

cv::Mat readPicture(const QString &picturePath)
{
    QImageReader sizeReader(picturePath);
    if (!pictureSizeAllowed(sizeReader))
        return cv::Mat();
    const QString suffix = lowerFileSuffix(picturePath);
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("png"))
        return cv::imread(QFile::encodeName(picturePath).toStdString(), cv::IMREAD_COLOR);
    QImage image;
    if (image.load(picturePath) || image.load(picturePath, "PNG") || image.load(picturePath, "JPG"))
        return qImageToMat(image);
    return cv::Mat();
}

}

QString lowerFileSuffix(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('.')) + 1).toLower();
}

cv::Mat qImageToMat(const QImage &image)
{
    // These three keep blue, green, red, alpha bytes in memory; every other
    // layout (indexed, grey, 16/24/64-bit, RGBA byte order) is converted first.
    const QImage::Format format = image.format();
    const QImage source = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
            || format == QImage::Format_ARGB32_Premultiplied
        ? image
        : image.convertToFormat(QImage::Format_ARGB32);
    if (source.isNull())
        return cv::Mat();
    const cv::Mat wrapped(source.height(), source.width(), CV_8UC4,
                          const_cast<uchar *>(source.constBits()), size_t(source.bytesPerLine()));
    cv::Mat bgr(source.height(), source.width(), CV_8UC3);
    const int pairs[] = {0, 0, 1, 1, 2, 2};
    cv::mixChannels(&wrapped, 1, &bgr, 1, pairs, 3);
    return bgr;
}

QString decodeQrImage(const QString &picturePath, cv::wechat_qrcode::WeChatQRCode &detector)
{
    std::vector<std::string> results;
    try {
        const cv::Mat picture = readPicture(picturePath);
        if (picture.empty())
            return QString();
        std::vector<cv::Mat> corners;
        results = detector.detectAndDecode(picture, corners);
    } catch (const std::exception &) {
        return QString();
    }
    QString joined;
    QString separator;
    for (const std::string &result : results) {
        joined += separator + payloadText(result);
        separator = QString::fromUtf8(resultSeparator);
    }
    return joined;
}
