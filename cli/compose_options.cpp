#include "cli/compose_options.h"

#include <QStringList>

namespace {

// Far enough for any picture a GIF can hold, small enough never to overflow.
constexpr int maxOffset = 65535;

bool readInteger(const QString &text, int limit, int *value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok && qAbs(*value) <= limit;
}

ComposeOptions failure(int exitCode, const QString &error)
{
    ComposeOptions options;
    options.exitCode = exitCode;
    options.error = error;
    return options;
}

} // namespace

ComposeOptions readComposeOptions(const QMap<QString, QString> &options)
{
    ComposeOptions result;
    BatchComposition &composition = result.composition;
    composition.logoPath = options.value(QStringLiteral("--logo"));
    composition.backgroundPath = options.value(QStringLiteral("--background"));

    const bool placed = options.contains(QStringLiteral("--offset")) || options.contains(QStringLiteral("--rotation"));
    if (placed && composition.backgroundPath.isEmpty())
        return failure(2, QStringLiteral("--offset 和 --rotation 需要与 --background 一起使用"));
    if (options.contains(QStringLiteral("--offset"))) {
        const QString text = options.value(QStringLiteral("--offset"));
        const QStringList parts = text.split(QLatin1Char(','));
        int x = 0;
        int y = 0;
        if (parts.size() != 2 || !readInteger(parts.at(0), maxOffset, &x) || !readInteger(parts.at(1), maxOffset, &y))
            return failure(2, QStringLiteral("偏移应为两个整数，如 --offset 150,50：%1").arg(text));
        composition.offset = QPoint(x, y);
    }
    if (options.contains(QStringLiteral("--rotation"))) {
        const QString text = options.value(QStringLiteral("--rotation"));
        if (!readInteger(text, 360, &composition.rotation))
            return failure(2, QStringLiteral("旋转角度应为 -360 到 360 之间的整数：%1").arg(text));
    }
    if (options.contains(QStringLiteral("--logo")) && composition.logoPath.isEmpty())
        return failure(2, QStringLiteral("--logo 需要图片路径"));
    if (options.contains(QStringLiteral("--background")) && composition.backgroundPath.isEmpty())
        return failure(2, QStringLiteral("--background 需要图片路径"));
    return result;
}
