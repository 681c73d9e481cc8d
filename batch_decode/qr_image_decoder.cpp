#include "batch_decode/qr_image_decoder.h"

#include "batch_decode/cnn_reader.h"
#include "batch_decode/found_code.h"
#include "batch_decode/grey_picture.h"
#include "batch_decode/zxing_reader.h"
#include "common/pixel_budget.h"

QString lowerFileSuffix(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('.')) + 1).toLower();
}

QString decodeQrImage(const QString &picturePath, DecodeEngines engines, CnnReader *cnn)
{
    // The picture holds its pixels (see readGreyPicture) until it is decoded.
    const PixelHold pixelHold;
    try {
        const cv::Mat grey = readGreyPicture(picturePath);
        if (grey.empty())
            return QString();
        QList<FoundCode> codes;
        if (engines != DecodeEngines::Cnn || !cnn)
            codes = readWithZxing(grey);
        // Where ZXing-C++ reads several codes there may be more that only the CNN reads.
        if (cnn && (engines == DecodeEngines::Cnn || (engines == DecodeEngines::Both && codes.size() != 1)))
            codes += cnn->read(grey);
        return joinInReadingOrder(codes);
    } catch (const std::exception &) {
        // Out of memory, or a picture one of the engines cannot take.
        return QString();
    }
}
