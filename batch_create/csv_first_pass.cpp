#include "batch_create/csv_first_pass.h"

#include "batch_create/csv_reader.h"
#include "common/csv_field.h"
#include "common/report_text.h"

CsvFirstPass readFirstPass(CsvReader &reader, const QString &csvPath)
{
    CsvFirstPass pass;
    QStringList row;
    int rowCount = 0;
    while (reader.readRow(row)) {
        if (rowCount++ == 0)
            pass.heading = row;
        else if (!isBlankLine(row))
            ++pass.dataRows;
    }
    if (reader.status() != CsvReader::Finished)
        pass.error = reportWithUserText(QStringLiteral("无法读取CSV文件：%1"), csvPath);
    else if (rowCount == 0)
        pass.error = QStringLiteral("请选择正确csv文件");
    return pass;
}

bool isBlankLine(const QStringList &row)
{
    return row.size() == 1 && row.first().isEmpty();
}

QByteArray logLine(const QStringList &fields)
{
    return (joinCsvFields(fields) + QLatin1Char('\n')).toUtf8();
}
