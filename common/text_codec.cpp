#include "common/text_codec.h"

#include <QTextCodec>

namespace {

// Both encodings map every character to one byte sequence, so bytes are valid
// exactly when they come back unchanged; Qt's own invalid-byte count misses some.
bool decodeStrictly(const char *codecName, const QByteArray &bytes, QString &text)
{
    QTextCodec *codec = QTextCodec::codecForName(codecName);
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 && codec->fromUnicode(text) == bytes;
}

}

QString decodeUnknownText(const QByteArray &bytes)
{
    if (QTextCodec *bomCodec = QTextCodec::codecForUtfText(bytes, nullptr))
        return bomCodec->toUnicode(bytes);
    QString text;
    if (decodeStrictly("UTF-8", bytes, text) || decodeStrictly("GB18030", bytes, text))
        return text;
    return QString::fromLatin1(bytes);
}
