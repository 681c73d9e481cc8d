#include "batch_create/safe_output_path.h"

#include "common/guarded_file.h"

#include <QFile>

QString safeOutputPath(const QString &folder, const QString &name, const QString &suffix)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QString();
    }
    const QString fileName = name + QLatin1Char('.') + suffix;
    if (QFile::encodeName(fileName).size() > maxFileNameBytes)
        return QString();
    return folder + QLatin1Char('/') + fileName;
}

QString sameFileKey(const QString &path, bool caseless)
{
    return caseless ? path.toCaseFolded() : path;
}
