#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QTextCodec;

// Bytes of unknown encoding as text: a byte-order mark decides first; without
// one, valid UTF-8 is UTF-8, else valid GB18030 (Chinese spreadsheets and many
// codes in use), else Latin-1, which accepts every byte.
QString decodeUnknownText(const QByteArray &bytes);

// The same choice for everything an open device holds, read in chunks, so that a
// file of any size can be judged. The device is left at its start; null when it
// cannot be read. The codec's decoders drop a byte-order mark.
QTextCodec *guessTextCodec(QIODevice &device);
