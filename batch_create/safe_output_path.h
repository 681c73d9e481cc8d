#pragma once

#include <QString>

// folder + "/" + name + "." + suffix when the name can only name a file directly
// inside folder; an empty string when the name is "." or "..", holds a path
// separator or a control character (U+0000 to U+001F, U+007F), or is too long
// for a file name. Where links lead is checked when the file is written.
QString safeOutputPath(const QString &folder, const QString &name, const QString &suffix);

// The key under which two paths of one save folder name the same file: the path
// itself, or for a folder that ignores letter case, the path with its case folded.
QString sameFileKey(const QString &path, bool caseless);
