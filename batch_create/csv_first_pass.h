#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct BatchShard;
class RowReader;

// What a first pass over a CSV file tells a run before its first row: the
// heading, the number of data rows for the progress total, and whether the file
// can be used at all.
struct CsvFirstPass
{
    QStringList heading;
    int dataRows = 0;
    // Empty when the file can be used, otherwise the Chinese warning that ends the run.
    QString error;
};

// Reads the whole file once, never holding more than a row; the reader is left at its end.
// The data rows counted are the shard's.
CsvFirstPass readFirstPass(RowReader &reader, const BatchShard &shard);

// The warning for a CSV file that cannot be read, the path on a line of its own;
// detail, if any, says why.
QString unreadableCsvMessage(const QString &csvPath, const QString &detail = QString());

// A line with nothing on it, which is no row.
bool isBlankLine(const QStringList &row);

// A row as a line of the error log.
QByteArray logLine(const QStringList &fields);
