#include "batch_decode/found_code.h"

#include "batch_decode/qr_image_decoder.h"
#include "common/text_codec.h"

#include <algorithm>

namespace {

QPointF centre(const FoundCode &code)
{
    return code.corners.boundingRect().center();
}

}

QString guessedPayloadText(const QByteArray &bytes)
{
    // The leading ASCII byte keeps payload bytes such as FF FE from being taken for
    // a byte-order mark; it changes neither UTF-8 nor GB18030 validity.
    return decodeUnknownText(QByteArray("A") + bytes).mid(1);
}

QString joinInReadingOrder(QList<FoundCode> codes)
{
    QList<FoundCode> unique;
    for (const FoundCode &code : codes) {
        const bool seen = std::any_of(unique.cbegin(), unique.cend(), [&code](const FoundCode &kept) {
            return kept.bytes == code.bytes && kept.corners.boundingRect().contains(centre(code));
        });
        if (!seen)
            unique << code;
    }
    // A code whose centre lies level with the first code of a row joins that row.
    const auto above = [](const FoundCode &a, const FoundCode &b) { return centre(a).y() < centre(b).y(); };
    const auto leftOf = [](const FoundCode &a, const FoundCode &b) { return centre(a).x() < centre(b).x(); };
    std::stable_sort(unique.begin(), unique.end(), above);
    for (auto row = unique.begin(); row != unique.end();) {
        const qreal bottom = row->corners.boundingRect().bottom();
        const auto next = std::find_if(row + 1, unique.end(), [bottom](const FoundCode &code) { return centre(code).y() > bottom; });
        std::stable_sort(row, next, leftOf);
        row = next;
    }
    QStringList texts;
    for (const FoundCode &code : unique)
        texts << code.text;
    return texts.join(QString::fromUtf8(resultSeparator));
}
