#pragma once

#include <QString>

// The "runtime" report of both workers: seconds with up to six significant digits.
inline QString elapsedText(qint64 elapsedMs)
{
    return QStringLiteral("用时：%1 秒").arg(elapsedMs / 1000.0, 0, 'g');
}
