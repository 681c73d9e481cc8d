#include "batch_decode/grey_picture.h"

#include "common/input_file.h"
#include "common/input_limits.h"
#include "common/pixel_budget.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <opencv2/imgcodecs.hpp>

cv::Mat readGreyPicture(const QString &path)
{
    // Opened once and read from that descriptor: a picture swapped for a FIFO
    // after the listing is refused, not waited on.
    QFile file;
    if (!openInputFile(file, path))
        return cv::Mat();
    // The format comes from the content when the suffix does not fit it.
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (!pictureSizeAllowed(reader) || pictureTooComplex(reader))
        return cv::Mat();
    // Pictures decoded at once share the memory: a large one waits for room.
    const QSize size = decodedPictureSize(reader);
    PixelBudget::hold(qint64(size.width()) * size.height());
    // Both engines read brightness alone. Asked for grey, libjpeg leaves out the
    // colour planes: four times faster on camera photos, a third of the memory.
    const QByteArray format = reader.format();
    if (format == "jpeg" || format == "png") {
        // The reader's handler has read the header: it goes on from where it was.
        const qint64 position = file.pos();
        const QByteArray bytes = file.seek(0) ? file.readAll() : QByteArray();
        if (!bytes.isEmpty()) {
            const cv::Mat grey = cv::imdecode(cv::Mat(1, bytes.size(), CV_8UC1, const_cast<char *>(bytes.constData())),
                                              cv::IMREAD_GRAYSCALE);
            if (!grey.empty())
                return grey;
        }
        if (!file.seek(position))
            return cv::Mat();
    }
    const QImage image = reader.read().convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull())
        return cv::Mat();
    return cv::Mat(image.height(), image.width(), CV_8UC1, const_cast<uchar *>(image.constBits()),
                   size_t(image.bytesPerLine())).clone();
}
