#include "cli/print_options.h"

#include "render/print_size.h"
#include "render/qr_style_record.h"

#include <QStringList>

PrintOptions readPrintOptions(const QMap<QString, QString> &options, QrStyleRecord *record)
{
    PrintOptions result;
    result.format = options.value(QStringLiteral("--format"), result.format).trimmed().toLower();
    if (!QStringList{QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")}.contains(result.format)) {
        result.error = QStringLiteral("--format 只能是 png、svg 或 pdf，不能是 %1").arg(options.value(QStringLiteral("--format")));
        return result;
    }
    if (options.contains(QStringLiteral("--size"))
        && !readLength(options.value(QStringLiteral("--size")), &record->printWidth)) {
        result.error = QStringLiteral("--size 应为带单位的正数宽度，如 30mm 或 1.2in：%1").arg(options.value(QStringLiteral("--size")));
        return result;
    }
    if (options.contains(QStringLiteral("--dpi"))) {
        bool ok = false;
        record->printDpi = options.value(QStringLiteral("--dpi")).trimmed().toInt(&ok);
        if (!ok)
            record->printDpi = 0;
    }
    result.error = printSizeError(record->printWidth, record->printDpi);
    return result;
}
