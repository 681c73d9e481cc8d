#pragma once

#include "batch_create/batch_composition.h"
#include "render/qr_style_record.h"

#include <QString>

// The look of every code of a batch: a record whose content and caption each row
// fills in, and whether the row's name is drawn under the code at all.
struct BatchStyle
{
    QrStyleRecord record;
    // False leaves out the caption and its band: the picture is the code alone.
    bool caption = true;

    // The record that draws one row.
    QrStyleRecord recordFor(const QString &name, const QString &content) const;

    // The run's pictures: the style's logo and background, except where the
    // shortcuts name their own. A background given as a shortcut comes with its
    // own offset and rotation.
    BatchComposition compositionWith(const BatchComposition &shortcuts) const;
};
