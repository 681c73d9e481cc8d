#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QTextCodec;

// Bytes of a local file or file name of unknown encoding as text: a byte-order
// mark decides first; without one, valid UTF-8 is UTF-8, else valid GB18030
// (Chinese spreadsheets and file names), else Latin-1, which accepts every byte.
// Fit for long Chinese texts; the short payloads of codes are judged by payloadText.
QString decodeLocalText(const QByteArray &bytes);

// The same choice for everything an open device holds, read in chunks, so that a
// file of any size can be judged. The device is left at its start; null when it
// cannot be read. The codec's decoders drop a byte-order mark.
QTextCodec *guessTextCodec(QIODevice &device);
