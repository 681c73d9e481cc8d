#pragma once

#include "batch_create/batch_composition.h"

#include <QMap>
#include <QString>

// The logo and background options of the generate command, checked before the
// run so that a mistyped path cannot fail every row.
struct ComposeOptions
{
    BatchComposition composition;
    // 0 when the options can be used; 2 for a malformed value, 1 for a picture
    // that cannot be read, with a Chinese message in error.
    int exitCode = 0;
    QString error;
};

ComposeOptions readComposeOptions(const QMap<QString, QString> &options);
