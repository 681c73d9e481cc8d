#include "common/run_error_log.h"

#include <QFile>

#include <sys/stat.h>

RunErrorLog::~RunErrorLog()
{
    if (file.created() && count == 0)
        file.remove();
}

bool RunErrorLog::writeFailure(const QByteArray &line)
{
    if (!file.write(line))
        return false;
    ++count;
    return true;
}

bool RunErrorLog::close()
{
    // A log gone meanwhile (a clean run alongside removes it) matters only if it held this run's lines.
    return file.close() || count == 0;
}

void RunErrorLog::remove()
{
    if (file.created())
        file.remove();
}

QString RunErrorLog::openFailureText(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 1)
        return QStringLiteral("保存文件夹中的 error_log.txt 另有其他名称（硬链接），写入它会改动别处的文件，请删除它或换一个保存文件夹");
    return QStringLiteral("错误日志写入失败，请检查保存文件夹权限");
}
