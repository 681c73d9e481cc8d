#include "batch_create/csv_first_pass.h"

#include "batch_create/row_reader.h"
#include "common/batch_shard.h"
#include "common/csv_field.h"
#include "common/report_text.h"

CsvFirstPass readFirstPass(RowReader &reader, const BatchShard &shard)
{
    CsvFirstPass pass;
    QStringList row;
    int rowCount = 0;
    qint64 dataRows = 0;
    bool blankOnly = true;
    while (reader.readRow(row)) {
        blankOnly = blankOnly && isBlankLine(row);
        if (rowCount++ == 0)
            pass.heading = row;
        else if (!isBlankLine(row) && shard.holds(dataRows++))
            ++pass.dataRows;
    }
    if (reader.status() != RowReader::Finished)
        pass.error = reader.problem();
    // Not even a heading: an empty file is refused like one that cannot be read.
    else if (blankOnly && (rowCount > 0 || !reader.sawText()))
        pass.error = reader.emptyProblem();
    else if (rowCount == 0)
        pass.error = QStringLiteral("请选择正确csv文件");
    return pass;
}

QString unreadableCsvMessage(const QString &csvPath, const QString &detail)
{
    return reportWithUserText(QStringLiteral("无法读取CSV文件：<br>%1") + detail, csvPath);
}

bool isBlankLine(const QStringList &row)
{
    return row.size() == 1 && row.first().isEmpty();
}

QByteArray logLine(const QStringList &fields)
{
    return (joinCsvFields(fields) + QLatin1Char('\n')).toUtf8();
}
