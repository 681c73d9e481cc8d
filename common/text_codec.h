#pragma once

#include <QByteArray>
#include <QString>

// Bytes of unknown encoding as text: a byte-order mark decides first; without
// one, valid UTF-8 is UTF-8, else valid GB18030 (Chinese spreadsheets and many
// codes in use), else Latin-1, which accepts every byte.
QString decodeUnknownText(const QByteArray &bytes);
