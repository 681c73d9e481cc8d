#pragma once

#include "style/batch_style.h"

#include <QJsonObject>
#include <QString>

// A style file is a JSON object holding any of the record fields a batch may set,
// under the record's names, and "caption" (true or false). Colours are "#rrggbb";
// fields left out keep the batch preset's values.

// The style the object describes. Relative logo and background paths are taken
// from baseFolder. Empty on success, otherwise the Chinese message naming the
// field and the values it allows; the style is left as it was then.
QString styleFromJson(const QJsonObject &object, const QString &baseFolder, BatchStyle *style);

// Every field, so that a saved style does not change when the preset does.
QJsonObject styleToJson(const BatchStyle &style);

// Empty on success, otherwise the Chinese message; the style is left as it was then.
QString readStyleFile(const QString &path, BatchStyle *style);

// Writes the style as indented JSON; the file is complete or left as it was.
// Empty on success, otherwise the Chinese message.
QString writeStyleFile(const QString &path, const BatchStyle &style);
