#include "common/text_codec.h"

#include <QBuffer>
#include <QTextCodec>

namespace {

bool isAscii(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (byte & 0x80)
            return false;
    }
    return true;
}

// Whether bytes, given chunk after chunk, are exactly a text in one encoding. Both
// encodings map every character to one byte sequence, so bytes are valid exactly
// when they come back unchanged; Qt's own invalid-byte count misses some.
class StrictCheck
{
public:
    explicit StrictCheck(QTextCodec *codec)
        : codec(codec)
        , state(QTextCodec::IgnoreHeader)
    {
    }

    void add(const QByteArray &bytes)
    {
        // ASCII stands for itself in both encodings.
        if (!valid || (state.remainingChars == 0 && isAscii(bytes)))
            return;
        const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
        // Bytes of a character cut by the chunk's end wait here for the rest of it.
        pending += bytes;
        const QByteArray back = codec->fromUnicode(text);
        valid = state.invalidChars == 0 && pending.startsWith(back);
        pending.remove(0, back.size());
    }

    bool failed() const { return !valid; }
    bool passed() const { return valid && state.remainingChars == 0 && pending.isEmpty(); }

private:
    QTextCodec *codec;
    QTextCodec::ConverterState state;
    QByteArray pending;
    bool valid = true;
};

}

QTextCodec *guessTextCodec(QIODevice &device)
{
    if (QTextCodec *bomCodec = QTextCodec::codecForUtfText(device.peek(4), nullptr))
        return bomCodec;
    for (const char *name : {"UTF-8", "GB18030"}) {
        QTextCodec *codec = QTextCodec::codecForName(name);
        if (!codec || !device.seek(0))
            return nullptr;
        StrictCheck check(codec);
        while (!check.failed() && !device.atEnd()) {
            const QByteArray chunk = device.read(1 << 20);
            if (chunk.isEmpty())
                return nullptr;
            check.add(chunk);
        }
        if (check.passed())
            return device.seek(0) ? codec : nullptr;
    }
    return device.seek(0) ? QTextCodec::codecForName("ISO-8859-1") : nullptr;
}

QString decodeLocalText(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return guessTextCodec(buffer)->toUnicode(bytes);
}
