#include "style/preview_sample.h"

#include "batch_create/csv_reader.h"
#include "common/product_site.h"
#include "common/text_codec.h"

#include <QFile>

namespace {

// Far more than a header and a first row need: content is at most a few kilobytes.
constexpr qint64 headBytes = 64 * 1024;

PreviewSample sample()
{
    return {QStringLiteral("示例"), productSiteUrl()};
}

} // namespace

PreviewSample previewSample(const QString &csvPath)
{
    QFile file(csvPath);
    if (csvPath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return sample();
    QByteArray head = file.read(headBytes);
    // A row or a character cut in two would be read wrongly: keep whole lines only.
    // A quoted field cut at a line break leaves its quote open, and such a row is
    // dropped by the parser.
    if (!file.atEnd())
        head.truncate(head.lastIndexOf('\n') + 1);
    const CsvTable table = parseCsvText(decodeUnknownText(head));
    for (int i = 1; i < table.size(); ++i) {
        const QStringList &row = table.at(i);
        if (row.size() == 1 && row.first().isEmpty())
            continue;
        QString content = row.value(1);
        content.truncate(content.indexOf(QChar()) < 0 ? content.size() : content.indexOf(QChar()));
        if (content.isEmpty())
            break;
        return {row.first().isEmpty() ? QString::number(i) : row.first(), content};
    }
    return sample();
}
