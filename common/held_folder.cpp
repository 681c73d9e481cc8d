#include "common/held_folder.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace {

QMutex heldLock;
// Path as the run named it, and the descriptor opened for it.
std::vector<std::pair<QByteArray, int>> held;

QByteArray keyFor(const QString &path)
{
    return QFile::encodeName(QDir::cleanPath(QDir(path).absolutePath()));
}

// A file of its own made under a name with small letters, then looked up with capitals.
bool probeLetterCase(int folder)
{
    const QByteArray name = ".glyphora-case-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + "-x";
    const int file = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        return false;
    // Found under the capitals, the name is the file's own: no one else uses so random a name.
    // Inode numbers are not compared, since FUSE file systems may give one file several.
    struct stat found;
    const bool same = ::fstatat(folder, name.toUpper().constData(), &found, AT_SYMLINK_NOFOLLOW) == 0;
    ::close(file);
    ::unlinkat(folder, name.constData(), 0);
    return same;
}

}

HeldFolder::HeldFolder(const QString &path)
    : key(keyFor(path))
{
    fd = ::open(key.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    caseless = probeLetterCase(fd);
    QMutexLocker locker(&heldLock);
    held.emplace_back(key, fd);
}

HeldFolder::~HeldFolder()
{
    if (fd < 0)
        return;
    {
        QMutexLocker locker(&heldLock);
        for (auto it = held.begin(); it != held.end(); ++it) {
            if (it->second == fd) {
                held.erase(it);
                break;
            }
        }
    }
    ::close(fd);
}

int HeldFolder::open(const QByteArray &path)
{
    const QByteArray cleaned = QFile::encodeName(QDir::cleanPath(QFile::decodeName(path)));
    {
        QMutexLocker locker(&heldLock);
        for (const auto &entry : held) {
            if (entry.first == cleaned)
                return ::fcntl(entry.second, F_DUPFD_CLOEXEC, 0);
        }
    }
    const int fd = ::open(cleaned.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder one may write in but not list is still written in.
    return fd >= 0 ? fd : ::open(cleaned.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}
