#pragma once

#include <QImage>
#include <QString>

// Writes the picture in the format named by the path's suffix (any letter case).
// False when the format is unknown or the file cannot be written; a failed write
// leaves no file behind and never replaces an existing one.
bool writeImageFile(const QImage &image, const QString &path);
