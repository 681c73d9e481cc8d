#include "batch_create/safe_output_path.h"

#include <QFileInfo>

QString safeOutputPath(const QString &folder, const QString &name, const QString &suffix)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar()))
        return QString();
    const QString path = folder + QLatin1Char('/') + name + QLatin1Char('.') + suffix;
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    // Writing follows links, so a link left in the folder must not lead elsewhere.
    const QString resolved = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const QString resolvedFolder = QFileInfo(QFileInfo(resolved).absolutePath()).canonicalFilePath();
    if (resolvedFolder.isEmpty() || resolvedFolder != QFileInfo(folder).canonicalFilePath())
        return QString();
    return path;
}
