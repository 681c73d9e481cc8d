#include "batch_decode/grey_picture.h"

#include "common/input_limits.h"
#include "common/pixel_budget.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <opencv2/imgcodecs.hpp>

cv::Mat readGreyPicture(const QString &path)
{
    // The format comes from the content when the suffix does not fit it.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!pictureSizeAllowed(reader))
        return cv::Mat();
    // Pictures decoded at once share the memory: a large one waits for room.
    const QSize size = declaredPictureSize(reader);
    PixelBudget::hold(qint64(size.width()) * size.height());
    // Both engines read brightness alone. Asked for grey, libjpeg leaves out the
    // colour planes: four times faster on camera photos, a third of the memory.
    const QByteArray format = reader.format();
    if (format == "jpeg" || format == "png") {
        cv::Mat grey = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_GRAYSCALE);
        if (!grey.empty())
            return grey;
    }
    const QImage image = reader.read().convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull())
        return cv::Mat();
    return cv::Mat(image.height(), image.width(), CV_8UC1, const_cast<uchar *>(image.constBits()),
                   size_t(image.bytesPerLine())).clone();
}
