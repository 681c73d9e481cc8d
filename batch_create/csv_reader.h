#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Rows of text fields as they stand in a CSV file; rows may differ in length and
// every row holds at least one field.
using CsvTable = QVector<QStringList>;

// Reads a whole CSV file. codecName names the file's encoding; when it is empty or
// unknown, a byte-order mark decides, then valid UTF-8, then GB18030. A file that
// cannot be read gives the table of one empty field.
CsvTable readCsvFile(const QString &path, const QString &codecName);

// Splits CSV text: CR LF becomes LF, a double quote opens and closes quoting
// anywhere in a field, a doubled quote inside quotes stands for one, and a row
// whose quote is never closed is dropped.
CsvTable parseCsvText(const QString &text);
