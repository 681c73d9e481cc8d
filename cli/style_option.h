#pragma once

#include "style/batch_style.h"

#include <QMap>
#include <QString>

struct CommandLine;

// The style of the generate command.
struct StyleOption
{
    BatchStyle style;
    // 0 when the style can be used; 2 with a Chinese message in error otherwise.
    int exitCode = 0;
    QString error;
};

// --style names a shipped style or a style file; without it, the batch preset.
StyleOption readStyleOption(const QMap<QString, QString> &options);

// The styles command: lists the shipped styles.
int runStyles(const CommandLine &line);
