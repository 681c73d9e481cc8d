#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// The text of the single QR code in a picture, read by a decoder the program does
// not use (zbar), with the picture laid on white paper with a quiet zone as it
// would be printed. Empty when no code or more than one is found.
QString decodeQrCode(const QString &path);

// The call's result, with no file allowed to grow past the given size while it
// runs, as on a disk that fills up.
bool withFileSizeLimit(qint64 bytes, const std::function<bool()> &call);
