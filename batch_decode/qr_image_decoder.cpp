#include "batch_decode/qr_image_decoder.h"

#include "batch_decode/cnn_reader.h"
#include "batch_decode/finder_lookalikes.h"
#include "batch_decode/found_code.h"
#include "batch_decode/grey_picture.h"
#include "batch_decode/picture_variants.h"
#include "batch_decode/zxing_reader.h"
#include "common/pixel_budget.h"

namespace {

// GLYPHORA_NO_VARIANTS=1 leaves the prepared variants out, so that bench/decode can show what they add.
bool variantsWanted()
{
    static const bool wanted = qEnvironmentVariableIntValue("GLYPHORA_NO_VARIANTS") == 0;
    return wanted;
}

}

QString lowerFileSuffix(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('.')) + 1).toLower();
}

QString decodeQrImage(const QString &picturePath, DecodeEngines engines, CnnReader *cnn, bool allFormats)
{
    // The picture holds its pixels (see readGreyPicture) until it is decoded.
    const PixelHold pixelHold;
    try {
        const cv::Mat grey = readGreyPicture(picturePath);
        if (grey.empty() || tooManyFinderLookalikes(grey))
            return QString();
        QList<FoundCode> codes;
        if (engines != DecodeEngines::Cnn || !cnn)
            codes = readWithZxing(grey, allFormats);
        // Where ZXing-C++ reads several codes there may be more that only the CNN reads.
        if (cnn && (engines == DecodeEngines::Cnn || (engines == DecodeEngines::Both && codes.size() != 1)))
            codes += cnn->read(grey);
        if (codes.isEmpty() && cnn && engines != DecodeEngines::Zxing && variantsWanted())
            codes = readPictureVariants(grey, *cnn);
        return joinInReadingOrder(codes);
    } catch (const std::exception &) {
        // Out of memory, or a picture one of the engines cannot take.
        return QString();
    }
}
