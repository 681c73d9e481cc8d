#pragma once

#include <QString>

// folder + "/" + name + "." + suffix when that file lies directly inside folder;
// an empty string when the name holds a path separator or a zero character, is
// "." or "..", or names a link there that leads out of the folder.
QString safeOutputPath(const QString &folder, const QString &name, const QString &suffix);
