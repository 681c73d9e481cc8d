#include "app/run_rate.h"

#include <QtMath>

namespace {

QString durationText(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 秒").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 小时 %2 分").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

} // namespace

void RunRate::reset()
{
    firstDone = -1;
    firstMs = 0;
}

QString RunRate::update(int done, int total, qint64 elapsedMs)
{
    if (firstDone < 0) {
        firstDone = done;
        firstMs = elapsedMs;
    }
    const qint64 spanMs = elapsedMs - firstMs;
    // Half a second of counts gives a rate worth showing.
    if (spanMs < 500 || done <= firstDone)
        return QString();
    const double rate = (done - firstDone) * 1000.0 / spanMs;
    const QString rateText = QStringLiteral("速度 %1 个/秒").arg(rate, 0, 'f', rate >= 10 ? 0 : rate >= 1 ? 1 : 2);
    if (done >= total)
        return rateText;
    return rateText + QStringLiteral(" · 预计剩余 %1").arg(durationText(qCeil((total - done) / rate)));
}
