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

constexpr int privateUse = -6;

// A two-byte character of one of the CJK sets with its bytes' weight: common
// characters count for the reading, rare ones against it.
int cjkWeight(const QString &text, int i, int weight)
{
    if (weight <= 0)
        return weight;
    // One ideograph among Latin letters ("gr鰠e") is a sign of Latin-1 read wrong.
    const bool letterBefore = i > 0 && isAsciiLetter(text.at(i - 1));
    const bool letterAfter = i + 1 < text.size() && isAsciiLetter(text.at(i + 1));
    return letterBefore && letterAfter ? -2 : weight;
}

int gbScore(const QString &text)
{
    static QTextCodec *const codec = QTextCodec::codecForName("GB18030");
    int score = 0;
    for (int i = 0; i < text.size(); ++i) {
        const uint code = text.at(i).unicode();
        if (code < 0x80)
            continue;
        if (code >= 0xE000 && code < 0xF900) {
            score += privateUse;
            continue;
        }
        const QByteArray bytes = codec->fromUnicode(text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1));
        if (bytes.size() != 2) {
            score -= 4; // four-byte characters: beyond GBK, seldom typed
            if (text.at(i).isHighSurrogate())
                ++i;
            continue;
        }
        const uchar lead = uchar(bytes.at(0)), trail = uchar(bytes.at(1));
        int weight;
        if (trail < 0xA1)
            weight = -2; // GBK extension: rare and traditional characters
        else if (lead >= 0xB0 && lead <= 0xD7)
            weight = 3; // GB2312 level 1 hanzi, the common ones
        else if (lead >= 0xD8 && lead <= 0xF7)
            weight = 1; // level 2
        else if (lead >= 0xA1 && lead <= 0xA3)
            weight = 1; // full-width punctuation, digits and letters
        else if (lead <= 0xA9)
            weight = -1; // kana, Greek, Cyrillic, pinyin, box drawing
        else
            weight = -2;
        score += cjkWeight(text, i, weight);
    }
    return score;
}

bool voiceable(uint kana)
{
    return kana == 0xFF73 || (kana >= 0xFF76 && kana <= 0xFF84) || (kana >= 0xFF8A && kana <= 0xFF8E);
}

int shiftJisScore(const QString &text)
{
    static QTextCodec *const codec = QTextCodec::codecForName("Shift_JIS");
    int score = 0;
    for (int i = 0; i < text.size(); ++i) {
        const uint code = text.at(i).unicode();
        if (code < 0x80)
            continue;
        if (code >= 0xE000 && code < 0xF900) {
            score += privateUse;
            continue;
        }
        if (isHalfWidthKana(code)) {
            const uint before = i > 0 ? text.at(i - 1).unicode() : 0;
            const uint after = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
            if (code == 0xFF9E || code == 0xFF9F)
                score += (code == 0xFF9E ? voiceable(before) : before >= 0xFF8A && before <= 0xFF8E) ? 4 : -2;
            else if (code == 0xFF70 && isHalfWidthKana(before))
                score += 3; // the long-vowel mark after kana
            else
                score += isHalfWidthKana(before) || isHalfWidthKana(after) ? 1 : -1;
            continue;
        }
        const QByteArray bytes = codec->fromUnicode(text.mid(i, 1));
        const uint pair = bytes.size() == 2 ? uint(uchar(bytes.at(0))) << 8 | uchar(bytes.at(1)) : 0;
        int weight;
        if (code >= 0x3041 && code <= 0x30FE)
            weight = 3; // hiragana and katakana
        else if (pair >= 0x889F && pair <= 0x9872)
            weight = 3; // JIS level 1 kanji
        else if ((pair >= 0x989F && pair <= 0x9FFC) || (pair >= 0xE040 && pair <= 0xEAA4))
            weight = 1; // level 2
        else if (pair >= 0x8140 && pair <= 0x824F)
            weight = 1; // punctuation, full-width digits
        else if (pair >= 0x8250 && pair <= 0x829A)
            weight = 1; // full-width letters
        else
            weight = -2; // Greek, Cyrillic, box drawing, vendor extensions
        score += cjkWeight(text, i, weight);
    }
    return score;
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
    // Ties go to the first: Chinese is what this program's users mostly hold.
    const QString gb = strictText("GB18030", bytes);
    const QString shiftJis = strictText("Shift_JIS", bytes);
    const QString latin1 = QString::fromLatin1(bytes);
    QString best = latin1;
    int bestScore = latin1Score(latin1);
    if (!shiftJis.isNull() && shiftJisScore(shiftJis) >= bestScore) {
        best = shiftJis;
        bestScore = shiftJisScore(shiftJis);
    }
    if (!gb.isNull() && gbScore(gb) >= bestScore)
        best = gb;
    return best;
}
