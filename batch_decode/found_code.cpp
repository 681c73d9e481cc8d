#include "batch_decode/found_code.h"

#include "batch_decode/qr_image_decoder.h"

#include <algorithm>

namespace {

QPointF centre(const FoundCode &code)
{
    return code.corners.boundingRect().center();
}

qreal area(const QPolygonF &polygon)
{
    qreal twice = 0;
    for (int i = 0; i < polygon.size(); ++i)
        twice += polygon.at(i).x() * polygon.at((i + 1) % polygon.size()).y() - polygon.at((i + 1) % polygon.size()).x() * polygon.at(i).y();
    return qAbs(twice) / 2;
}

// The engines outline one code a little differently (the detector's box holds
// the quiet zone), so the same bytes where most of the smaller outline lies
// within the other are one code; a code drawn inside another's quiet zone, with
// other bytes, stays a code of its own.
bool sameCode(const FoundCode &a, const FoundCode &b)
{
    if (a.bytes != b.bytes)
        return false;
    const qreal smaller = std::min(area(a.corners), area(b.corners));
    if (smaller <= 0)
        return a.corners.boundingRect().contains(centre(b)) || b.corners.boundingRect().contains(centre(a));
    return area(a.corners.intersected(b.corners)) >= smaller / 2;
}

}

QString joinInReadingOrder(QList<FoundCode> codes)
{
    QList<FoundCode> unique;
    for (const FoundCode &code : codes) {
        const bool seen = std::any_of(unique.cbegin(), unique.cend(), [&code](const FoundCode &kept) { return sameCode(kept, code); });
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
