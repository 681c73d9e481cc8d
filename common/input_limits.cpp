#include "common/input_limits.h"

#include <QImageReader>

bool pictureSizeAllowed(QImageReader &reader)
{
    const QSize size = reader.size();
    return size.isValid() && !size.isEmpty() && qint64(size.width()) * size.height() <= maxPicturePixels;
}
