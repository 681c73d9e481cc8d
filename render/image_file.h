#pragma once

#include <QImage>
#include <QString>

// Reads a picture by its content, then as PNG, then as JPEG, whatever its name
// says; null when the path is empty or none of them reads. The result is ready to
// paint on, off the user-interface thread as well.
QImage readImageFile(const QString &path);

// Writes the picture in the format named by the path's suffix (any letter case).
// False when the format is unknown or the file cannot be written; a failed write
// leaves no file behind and never replaces an existing one.
bool writeImageFile(const QImage &image, const QString &path);
