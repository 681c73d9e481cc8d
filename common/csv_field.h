#pragma once

#include <QString>
#include <QStringList>

// A field as standard CSV readers expect it: enclosed in double quotes with inner
// quotes doubled when it holds a comma, double quote, CR or LF; otherwise as it is.
QString quoteCsvField(const QString &field);

// Fields quoted one by one and joined with commas (no line break added).
QString joinCsvFields(const QStringList &fields);
