#include "common/guarded_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links are followed at most this often, as the system itself does.
constexpr int maxLinkDepth = 40;

// folder/name with the folder part made real; empty when the name part names no file.
QByteArray withRealFolder(const QByteArray &path, bool *ok)
{
    const int slash = path.lastIndexOf('/');
    const QByteArray name = path.mid(slash + 1);
    if (slash < 0 || name.isEmpty() || name == "." || name == "..") {
        *ok = false;
        return QByteArray();
    }
    char *resolved = ::realpath(slash == 0 ? "/" : path.left(slash).constData(), nullptr);
    *ok = resolved != nullptr;
    if (!resolved)
        return QByteArray();
    const QByteArray folder(resolved);
    std::free(resolved);
    return (folder == "/" ? QByteArray() : folder) + '/' + name;
}

}

QString guardedTarget(const QString &path)
{
    QByteArray current = QFile::encodeName(QDir::isRelativePath(path) ? QDir::currentPath() + QLatin1Char('/') + path : path);
    bool ok = true;
    current = withRealFolder(current, &ok);
    if (!ok)
        return QString();
    const QByteArray folder = current.left(current.lastIndexOf('/'));
    for (int depth = 0;; ++depth) {
        struct stat info;
        if (::lstat(current.constData(), &info) != 0) {
            if (errno != ENOENT)
                return QString();
            break;
        }
        if (!S_ISLNK(info.st_mode))
            break;
        if (depth == maxLinkDepth)
            return QString();
        char target[PATH_MAX];
        const ssize_t size = ::readlink(current.constData(), target, sizeof target);
        if (size <= 0 || size == ssize_t(sizeof target))
            return QString();
        const QByteArray link(target, int(size));
        current = withRealFolder(link.startsWith('/') ? link : current.left(current.lastIndexOf('/') + 1) + link, &ok);
        if (!ok)
            return QString();
    }
    const QByteArray targetFolder = current.left(current.lastIndexOf('/'));
    if (targetFolder != folder && !targetFolder.startsWith(folder + '/'))
        return QString();
    return QFile::decodeName(current);
}

bool writeGuardedFile(const QString &path, const std::function<bool(QIODevice *)> &writeContent)
{
    const QString target = guardedTarget(path);
    if (target.isEmpty())
        return false;
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray folder = targetName.left(targetName.lastIndexOf('/') + 1);
    // A file made without a name locks the folder only when it is linked in, once:
    // rows written at once into one folder wait less for each other, and a killed
    // run leaves nothing behind. Its name comes through /proc.
    static const bool namelessFiles = ::access("/proc/self/fd", X_OK) == 0;
    int fd = namelessFiles ? ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    const QByteArray handle = fd >= 0 ? "/proc/self/fd/" + QByteArray::number(fd) : QByteArray();
    // Otherwise, and to replace a file, it gets a name beside the target that no one else uses.
    QByteArray partName;
    const auto makePart = [&] {
        for (int attempt = 0; attempt < 100; ++attempt) {
            partName = folder + ".glyphora-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".part";
            if (handle.isEmpty()) {
                fd = ::open(partName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                if (fd >= 0)
                    return true;
            } else if (::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, partName.constData(), AT_SYMLINK_FOLLOW) == 0) {
                return true;
            }
            if (errno != EEXIST)
                break;
        }
        partName.clear();
        return false;
    };
    if (fd < 0 && !makePart())
        return false;
    // A file replaced keeps its permissions.
    struct stat existing;
    const bool replaces = ::lstat(targetName.constData(), &existing) == 0;
    QFile file;
    bool ok = file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)
        && (!replaces || !S_ISREG(existing.st_mode) || ::fchmod(fd, existing.st_mode & 07777) == 0)
        && writeContent(&file) && file.flush() && file.error() == QFileDevice::NoError;
    file.close();
    if (ok && partName.isEmpty()) {
        // A free name takes the file in one step; one already taken goes through a part name.
        ok = (!replaces && ::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, targetName.constData(), AT_SYMLINK_FOLLOW) == 0)
            || makePart();
        if (ok && partName.isEmpty()) {
            if (::close(fd) == 0)
                return true;
            ::unlink(targetName.constData());
            return false;
        }
    }
    ok = ::close(fd) == 0 && ok;
    // The rename replaces whatever now stands at the target, a link included, and never follows it.
    if (ok && std::rename(partName.constData(), targetName.constData()) == 0)
        return true;
    if (!partName.isEmpty())
        ::unlink(partName.constData());
    return false;
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}
