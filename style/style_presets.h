#pragma once

#include "style/batch_style.h"

#include <QString>
#include <QVector>

// A style shipped with the program.
struct StylePreset
{
    QString name;        // as given to --style
    QString title;       // shown in the style dialog
    QString description; // one Chinese line for the preset list
    BatchStyle style;
};

// Black square modules on a 500-pixel canvas, the name under the code in
// 30-point "黑体". A run without a chosen style draws every code this way.
BatchStyle batchPreset();

// The shipped styles, the batch preset first.
QVector<StylePreset> stylePresets();

// The shipped style of this name; false when there is none.
bool findStylePreset(const QString &name, BatchStyle *style);
