#include "batch_create/batch_composition.h"

#include "render/qr_style_record.h"

#include <QFileInfo>

namespace {

QString lowerSuffix(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
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

void BatchComposition::applyTo(QrStyleRecord &record) const
{
    record.logoPath = logoPath;
    record.backgroundPath = backgroundPath;
    record.backgroundSuffix = lowerSuffix(backgroundPath);
    record.codeOffsetX = offset.x();
    record.codeOffsetY = offset.y();
    record.codeRotation = rotation;
}
