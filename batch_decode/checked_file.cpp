#include "batch_decode/checked_file.h"

bool CheckedFile::open(const QString &path, QIODevice::OpenMode mode, bool withBom)
{
    file.setFileName(path);
    if (!file.open(mode | QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered))
        return false;
    return !withBom || file.size() > 0 || write(QStringLiteral("\uFEFF"));
}

bool CheckedFile::write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        failed = true;
    return !failed;
}

bool CheckedFile::close()
{
    if (!file.isOpen())
        return !failed;
    file.close();
    if (file.error() != QFileDevice::NoError)
        failed = true;
    return !failed;
}
