#pragma once

#include <QByteArray>

// The repeat count of the looping extension ("NETSCAPE2.0" or "ANIMEXTS1.0") in the
// bytes of a GIF file: true with the count (0 repeats forever), false when the file
// has none, which viewers play once. Qt's reader reports 0 in both cases.
bool readGifLoopCount(const QByteArray &gif, int *count);
