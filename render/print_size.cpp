#include "render/print_size.h"

#include "common/input_limits.h"

#include <QStringList>

#include <cmath>

namespace {

// Larger than any sheet or label a printer takes: a metre and a half.
constexpr double longestLength = 1500.0;

bool readNumber(const QString &text, double scale, bool zeroAllowed, double *millimetres)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok) * scale;
    if (!ok || !std::isfinite(value) || value > longestLength || value < 0 || (value == 0 && !zeroAllowed))
        return false;
    *millimetres = value;
    return true;
}

// The unit at the end of text, cut off: millimetres by default.
double takeUnit(QString *text)
{
    const QString lower = text->trimmed().toLower();
    if (lower.endsWith(QLatin1String("mm"))) {
        *text = lower.chopped(2);
        return 1.0;
    }
    if (lower.endsWith(QLatin1String("in"))) {
        *text = lower.chopped(2);
        return millimetresPerInch;
    }
    *text = lower;
    return 1.0;
}

} // namespace

int printPixels(double millimetres, int dpi)
{
    return int(std::lround(millimetres / millimetresPerInch * dpi));
}

int dotsPerMeter(int dpi)
{
    return int(std::lround(dpi * 1000.0 / millimetresPerInch));
}

bool readLength(const QString &text, double *millimetres)
{
    QString number = text;
    const double scale = takeUnit(&number);
    return readNumber(number, scale, false, millimetres);
}

bool readLengthPair(const QString &text, QChar separator, bool zeroAllowed, double *first, double *second)
{
    QString numbers = text;
    const double scale = takeUnit(&numbers);
    const QStringList parts = numbers.split(separator);
    return parts.size() == 2 && readNumber(parts.at(0), scale, zeroAllowed, first)
        && readNumber(parts.at(1), scale, zeroAllowed, second);
}

QString printSizeError(double millimetres, int dpi)
{
    if (dpi < minPrintDpi || dpi > maxPrintDpi)
        return QStringLiteral("分辨率应为 %1 到 %2 之间的整数（每英寸像素数）").arg(minPrintDpi).arg(maxPrintDpi);
    if (millimetres > 0 && printPixels(millimetres, dpi) > maxPrintPixels)
        return QStringLiteral("打印宽度 %1 毫米在 %2 dpi 下有 %3 像素，超过了 %4 像素的上限，请减小尺寸或分辨率")
            .arg(millimetres).arg(dpi).arg(printPixels(millimetres, dpi)).arg(maxPrintPixels);
    if (millimetres > 0 && printPixels(millimetres, dpi) < 21)
        return QStringLiteral("打印宽度 %1 毫米在 %2 dpi 下不足一个像素一个码点，请增大尺寸或分辨率").arg(millimetres).arg(dpi);
    return QString();
}
