#include "batch_create/batch_composition.h"

#include "common/input_limits.h"
#include "render/background_composer.h"
#include "render/image_file.h"
#include "render/qr_style_record.h"

#include <QFileInfo>

namespace {

QString lowerSuffix(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

QString unreadable(const QString &what, const QString &path, QSize refused, int frames = 1)
{
    if (!refused.isValid())
        return QStringLiteral("无法读取%1：%2").arg(what, path);
    if (frames > 1) {
        return QStringLiteral("%1过大：%2（%3 帧，每帧 %4×%5 像素，合计最多 %6 万像素）")
            .arg(what, path)
            .arg(frames)
            .arg(refused.width())
            .arg(refused.height())
            .arg(maxPicturePixels / 10000);
    }
    return QStringLiteral("%1过大：%2（%3×%4 像素，最多 %5 万像素）")
        .arg(what, path)
        .arg(refused.width())
        .arg(refused.height())
        .arg(maxPicturePixels / 10000);
}

} // namespace

bool BatchComposition::animated() const
{
    return !backgroundPath.isEmpty() && lowerSuffix(backgroundPath) == QLatin1String("gif");
}

QString BatchComposition::outputSuffix() const
{
    return animated() ? QStringLiteral("gif") : QStringLiteral("png");
}

QString BatchComposition::load(const QrStyleRecord &sample)
{
    QSize refused;
    if (!logoPath.isEmpty() && (logo = readImageFile(logoPath, &refused)).isNull())
        return unreadable(QStringLiteral("Logo图片"), logoPath, refused);
    if (backgroundPath.isEmpty())
        return QString();
    int refusedFrames = 1;
    if (!readBackgroundPicture(backgroundPath, animated(), &background, &refused, &refusedFrames))
        return unreadable(QStringLiteral("背景图片"), backgroundPath, refused, refusedFrames);
    QrStyleRecord placed = sample;
    applyTo(placed);
    if (!canvasFitsOn(placed, background.size())) {
        return QStringLiteral("二维码不能完全放在背景图片上：背景图片为 %1×%2 像素，二维码图片为 %3×%4 像素，"
                              "偏移 %5,%6，旋转 %7 度")
            .arg(background.size().width())
            .arg(background.size().height())
            .arg(placed.imageSize)
            .arg(placed.canvasHeight())
            .arg(offset.x())
            .arg(offset.y())
            .arg(rotation);
    }
    return QString();
}

void BatchComposition::applyTo(QrStyleRecord &record) const
{
    record.logoImage = logo;
    record.backgroundPicture = background;
    // Without load the record reads the pictures itself, and fails when it cannot.
    if (logo.isNull())
        record.logoPath = logoPath;
    if (background.isNull()) {
        record.backgroundPath = backgroundPath;
        record.backgroundSuffix = lowerSuffix(backgroundPath);
    }
    record.codeOffsetX = offset.x();
    record.codeOffsetY = offset.y();
    record.codeRotation = rotation;
}
