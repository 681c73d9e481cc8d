#include "style/preview_sample.h"

#include "batch_create/row_reader.h"
#include "common/product_site.h"

namespace {

PreviewSample sample()
{
    return {QStringLiteral("示例"), productSiteUrl()};
}

} // namespace

PreviewSample previewSample(const QString &csvPath, const QString &sheet)
{
    if (csvPath.isEmpty())
        return sample();
    // Only the heading and the first data row are read, however long the file.
    const std::unique_ptr<RowReader> reader = openRowReader(csvPath, sheet);
    QStringList row;
    if (!reader->readRow(row))
        return sample();
    for (int index = 1; reader->readRow(row); ++index) {
        if (row.size() == 1 && row.first().isEmpty())
            continue;
        const QString content = row.value(1);
        if (content.isEmpty())
            break;
        // Named as the run names it.
        return {row.first().isEmpty() ? QString::number(index) : row.first(), content};
    }
    return sample();
}
