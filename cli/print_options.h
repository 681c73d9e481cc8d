#pragma once

#include <QMap>
#include <QString>

struct QrStyleRecord;

// --format, --size and --dpi of the generate command.
struct PrintOptions
{
    QString format = QStringLiteral("png");
    // Empty when the options can be used, otherwise the Chinese usage error.
    QString error;
};

// Reads the options, putting the size and resolution on the record (which keeps
// those of its style where none is given).
PrintOptions readPrintOptions(const QMap<QString, QString> &options, QrStyleRecord *record);
