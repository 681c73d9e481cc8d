#include "batch_decode/payload_text.h"

#include <QTextCodec>

#include <algorithm>

namespace {

bool isAsciiLetter(QChar c)
{
    return c.unicode() < 0x80 && c.isLetter();
}

// The text the codec gives, or null when the bytes are not exactly a text in it.
QString strictText(const char *codecName, const QByteArray &bytes)
{
    QTextCodec *codec = QTextCodec::codecForName(codecName);
    if (!codec)
        return QString();
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0 || text.contains(QChar::ReplacementCharacter))
        return QString();
    // Qt's decoders let some malformed sequences through; only an exact round trip proves a text.
    if (qstrcmp(codecName, "Shift_JIS") != 0 && codec->fromUnicode(text) != bytes)
        return QString();
    return text;
}

// Blocks whose letters make a plausible two-byte UTF-8 text on their own.
int twoByteScript(uint code)
{
    if (code >= 0xA0 && code < 0x250)
        return 1; // Latin
    if (code >= 0x370 && code < 0x400)
        return 2; // Greek
    if (code >= 0x400 && code < 0x530)
        return 3; // Cyrillic
    if (code >= 0x530 && code < 0x590)
        return 4; // Armenian
    if (code >= 0x590 && code < 0x600)
        return 5; // Hebrew
    if (code >= 0x600 && code < 0x700)
        return 6; // Arabic
    return 0;
}

// GB2312 bytes may happen to be valid UTF-8; they then give a jumble of scripts
// or of symbols and combining marks, where real UTF-8 text keeps to one script.
bool plausibleUtf8(const QString &text)
{
    int script = -1;
    for (int i = 0; i < text.size(); ++i) {
        const uint code = text.at(i).unicode();
        if (code < 0x80)
            continue;
        if (code >= 0x800)
            return true;
        const int block = twoByteScript(code);
        if (block == 0 || (script >= 0 && block != script))
            return false;
        script = block;
    }
    return script >= 0;
}

bool isHalfWidthKana(uint code)
{
    return code >= 0xFF61 && code <= 0xFF9F;
}

// The score of a reading in one of the CJK sets: each character's weight by its
// bytes in the set, common characters for the reading, rare ones against it.
int cjkScore(const QString &text, const char *codecName, int (*weight)(const QString &text, int i, const QByteArray &bytes))
{
    QTextCodec *const codec = QTextCodec::codecForName(codecName);
    int score = 0;
    for (int i = 0; i < text.size(); ++i) {
        const uint code = text.at(i).unicode();
        if (code < 0x80)
            continue;
        const int length = text.at(i).isHighSurrogate() ? 2 : 1;
        int charWeight = code >= 0xE000 && code < 0xF900 ? -6 : weight(text, i, codec->fromUnicode(text.mid(i, length)));
        // One ideograph among Latin letters ("gr鰠e") is a sign of Latin-1 read wrong.
        if (charWeight > 0 && i > 0 && isAsciiLetter(text.at(i - 1)) && i + length < text.size() && isAsciiLetter(text.at(i + length)))
            charWeight = -2;
        score += charWeight;
        i += length - 1;
    }
    return score;
}

int gbWeight(const QString &, int, const QByteArray &bytes)
{
    if (bytes.size() != 2)
        return -4; // four-byte characters: beyond GBK, seldom typed
    const uchar lead = uchar(bytes.at(0)), trail = uchar(bytes.at(1));
    if (trail < 0xA1)
        return -2; // GBK extension: rare and traditional characters
    if (lead >= 0xB0 && lead <= 0xD7)
        return 3; // GB2312 level 1 hanzi, the common ones
    if (lead >= 0xD8 && lead <= 0xF7)
        return 1; // level 2
    if (lead >= 0xA1 && lead <= 0xA3)
        return 1; // full-width punctuation, digits and letters
    if (lead <= 0xA9)
        return -1; // kana, Greek, Cyrillic, pinyin, box drawing
    return -2;
}

bool voiceable(uint kana)
{
    return kana == 0xFF73 || (kana >= 0xFF76 && kana <= 0xFF84) || (kana >= 0xFF8A && kana <= 0xFF8E);
}

int halfWidthKanaWeight(const QString &text, int i)
{
    const uint code = text.at(i).unicode();
    const uint before = i > 0 ? text.at(i - 1).unicode() : 0;
    const uint after = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
    if (code == 0xFF9E || code == 0xFF9F)
        return (code == 0xFF9E ? voiceable(before) : before >= 0xFF8A && before <= 0xFF8E) ? 4 : -2;
    if (code == 0xFF70 && isHalfWidthKana(before))
        return 3; // the long-vowel mark after kana
    // Half-width kana come in words, not one among other letters.
    return isHalfWidthKana(before) || isHalfWidthKana(after) ? 1 : -1;
}

int shiftJisWeight(const QString &text, int i, const QByteArray &bytes)
{
    const uint code = text.at(i).unicode();
    if (isHalfWidthKana(code))
        return halfWidthKanaWeight(text, i);
    const uint pair = bytes.size() == 2 ? uint(uchar(bytes.at(0))) << 8 | uchar(bytes.at(1)) : 0;
    if (code >= 0x3041 && code <= 0x30FE)
        return 3; // hiragana and katakana
    if (pair >= 0x889F && pair <= 0x9872)
        return 3; // JIS level 1 kanji
    if ((pair >= 0x989F && pair <= 0x9FFC) || (pair >= 0xE040 && pair <= 0xEAA4))
        return 1; // level 2
    if (pair >= 0x8140 && pair <= 0x829A)
        return 1; // punctuation, full-width digits and letters
    return -2; // Greek, Cyrillic, box drawing, vendor extensions
}

int latin1Score(const QString &text)
{
    static const QString commonSigns = QStringLiteral("\u00A0\u00A1\u00A3\u00A7\u00A9\u00AB\u00AE\u00B0\u00B2\u00B3\u00B5\u00B7\u00BB\u00BC\u00BD\u00BE\u00BF\u00D7\u00F7");
    int score = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const uint code = c.unicode();
        if (code < 0x80)
            continue;
        if (code < 0xA0) {
            score -= 10; // C1 control characters never stand in text
        } else if (c.isLetter()) {
            // Accented letters stand in words with plain ones; runs of them alone are other bytes read wrong.
            int start = i, end = i;
            while (start > 0 && text.at(start - 1).isLetter())
                --start;
            while (end + 1 < text.size() && text.at(end + 1).isLetter())
                ++end;
            const QStringView word = QStringView(text).mid(start, end - start + 1);
            score += std::any_of(word.begin(), word.end(), isAsciiLetter) ? 2 : 0;
        } else if (!commonSigns.contains(c)) {
            score -= 1;
        }
    }
    return score;
}

}

QString payloadText(const QByteArray &bytes)
{
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char byte) { return uchar(byte) < 0x80; }))
        return QString::fromLatin1(bytes);
    const QString utf8 = strictText("UTF-8", bytes);
    if (!utf8.isNull() && plausibleUtf8(utf8))
        return utf8;
    // Ties go to GB18030, then Shift_JIS: Chinese is what this program's users mostly hold.
    const QString gb = strictText("GB18030", bytes);
    const QString shiftJis = strictText("Shift_JIS", bytes);
    QString best = QString::fromLatin1(bytes);
    int bestScore = latin1Score(best);
    const int shiftJisScore = shiftJis.isNull() ? 0 : cjkScore(shiftJis, "Shift_JIS", shiftJisWeight);
    if (!shiftJis.isNull() && shiftJisScore >= bestScore) {
        best = shiftJis;
        bestScore = shiftJisScore;
    }
    if (!gb.isNull() && cjkScore(gb, "GB18030", gbWeight) >= bestScore)
        best = gb;
    return best;
}
