#pragma once

#include <QImage>
#include <QString>

// Reads a picture by its content, then as PNG, then as JPEG, whatever its name
// says; null when the path is empty or none of them reads. A picture declaring more
// pixels than allowed is not decoded: null, and refusedSize (when given) gets its
// size. The result is ready to paint on, off the user-interface thread as well.
QImage readImageFile(const QString &path, QSize *refusedSize = nullptr);

// Writes the picture in the format named by the path's suffix (any letter case).
// False when the format is unknown or the file cannot be written; a failed write
// leaves no file behind and never replaces an existing one.
bool writeImageFile(const QImage &image, const QString &path);
