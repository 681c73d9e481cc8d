#pragma once

#include "batch_create/batch_composition.h"

#include <QMap>
#include <QString>

// The logo and background options of the generate command. The pictures
// themselves are read and checked by the run, before its first row.
struct ComposeOptions
{
    BatchComposition composition;
    // 0 when the options can be used; 2 for a malformed value, with a Chinese
    // message in error.
    int exitCode = 0;
    QString error;
};

ComposeOptions readComposeOptions(const QMap<QString, QString> &options);
