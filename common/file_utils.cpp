#include "common/file_utils.h"

#include "common/report_text.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QUrl>

QString fileSuffix(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

bool ensureDir(const QString &path, bool &create)
{
    QDir dir(path);
    if (dir.exists())
        return true;
    if (!create)
        return false;
    return dir.mkpath(QStringLiteral("."));
}

QString cacheDirPath(QString *failureMessage)
{
    // An empty path means the working folder was removed under the process.
    const QString path = QDir::currentPath();
    bool create = true;
    if ((path.isEmpty() || !ensureDir(path, create)) && failureMessage)
        *failureMessage = reportWithUserText(QStringLiteral("缓存目录创建失败，不能生成二维码，请手动创建：%1"), path);
    return path;
}

bool isDigitString(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    for (const char byte : bytes) {
        if (byte == '\0')
            break;
        if (byte < '0' || byte > '9')
            return false;
    }
    return true;
}

void openUrl(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

QString readTextFile(const QString &path)
{
    if (path.isEmpty())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QByteArray bytes = file.readAll();
    file.close();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return QString::fromUtf8(bytes);
}
