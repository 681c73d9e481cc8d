#include "batch_decode/checked_file.h"

bool CheckedFile::open(const QString &path, QIODevice::OpenMode mode, bool withBom)
{
    file.setFileName(path);
    if (!file.open(mode | QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered))
        return false;
    // A failed write here shows at the next write or at close.
    if (withBom && file.size() == 0)
        write(QStringLiteral("\uFEFF"));
    return true;
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
