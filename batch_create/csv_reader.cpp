#include "batch_create/csv_reader.h"

#include "common/text_codec.h"

#include <QFile>
#include <QTextCodec>

CsvTable readCsvFile(const QString &path, const QString &codecName)
{
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        file.close();
    }
    QTextCodec *named = codecName.isEmpty() ? nullptr : QTextCodec::codecForName(codecName.toLatin1());
    if (!named)
        return parseCsvText(decodeUnknownText(bytes));
    // A byte-order mark still wins over the given name; the codec drops it.
    return parseCsvText(QTextCodec::codecForUtfText(bytes, named)->toUnicode(bytes));
}

CsvTable parseCsvText(const QString &text)
{
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!normalised.endsWith(QLatin1Char('\n')))
        normalised += QLatin1Char('\n');

    const QChar quote = QLatin1Char('"');
    CsvTable table;
    QStringList row;
    QString field;
    bool inQuotes = false;
    const int size = normalised.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = normalised.at(i);
        if (inQuotes) {
            if (c != quote) {
                field += c;
            } else if (i + 1 < size && normalised.at(i + 1) == quote) {
                field += quote;
                ++i;
            } else {
                inQuotes = false;
            }
        } else if (c == QLatin1Char('\n')) {
            row << field;
            field.clear();
            table << row;
            row.clear();
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == quote) {
            inQuotes = true;
        } else {
            field += c;
        }
    }
    return table;
}
