#include "common/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList programDataFolders()
{
    QStringList folders;
    if (QCoreApplication::instance()) {
        const QString programDir = QCoreApplication::applicationDirPath();
        folders << programDir << QDir::cleanPath(programDir + QStringLiteral("/../share/glyphora"));
    }
    const QString installed = QStringLiteral(GLYPHORA_DATA_DIR);
    if (!folders.contains(installed))
        folders << installed;
    return folders;
}

QString findProgramDataFile(const QString &relativePath)
{
    for (const QString &folder : programDataFolders()) {
        const QFileInfo file(QDir::cleanPath(folder + QLatin1Char('/') + relativePath));
        if (file.isFile())
            return file.filePath();
    }
    return QString();
}
