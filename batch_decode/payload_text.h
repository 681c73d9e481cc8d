#pragma once

#include <QByteArray>
#include <QString>

// Payload bytes that declare no character set (byte segments without ECI), as
// text. Valid UTF-8 holding letters of one script, or any character beyond two
// bytes, is UTF-8. Otherwise GB18030, Shift_JIS and ISO 8859-1 each read the
// bytes, and the most plausible reading wins: the common characters of each set
// (GB2312 hanzi, JIS level 1 kanji and kana, accented letters within words)
// count for it; rare extension, private-use and control characters against it.
// Payloads are short, often a two-character name, which is where statistical
// detectors of whole files guess wrong.
QString payloadText(const QByteArray &bytes);
