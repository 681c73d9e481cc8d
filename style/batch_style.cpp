#include "style/batch_style.h"

QrStyleRecord BatchStyle::recordFor(const QString &name, const QString &content) const
{
    QrStyleRecord row = record;
    row.content = content;
    row.labelText = caption ? name : QString();
    return row;
}

BatchComposition BatchStyle::compositionWith(const BatchComposition &shortcuts) const
{
    BatchComposition composition = shortcuts;
    if (composition.logoPath.isEmpty())
        composition.logoPath = record.logoPath;
    if (composition.backgroundPath.isEmpty()) {
        composition.backgroundPath = record.backgroundPath;
        composition.offset = QPoint(record.codeOffsetX, record.codeOffsetY);
        composition.rotation = record.codeRotation;
    }
    return composition;
}
