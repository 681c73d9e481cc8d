#include "common/guarded_file.h"

#include "common/held_folder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links are followed at most this often, as the system itself does.
constexpr int maxLinkDepth = 40;

thread_local int diskFailures = 0;

QByteArray descriptorName(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The canonical path of an open folder.
QByteArray folderPath(int fd)
{
    char path[PATH_MAX];
    const ssize_t size = ::readlink(descriptorName(fd).constData(), path, sizeof path);
    return size > 0 && size < ssize_t(sizeof path) ? QByteArray(path, int(size)) : QByteArray();
}

bool isFileName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/');
}

QByteArray absolutePath(const QString &path)
{
    return QFile::encodeName(QDir::isRelativePath(path) ? QDir::currentPath() + QLatin1Char('/') + path : path);
}

}

GuardedPlace::~GuardedPlace()
{
    if (folder >= 0)
        ::close(folder);
}

GuardedPlace::GuardedPlace(GuardedPlace &&other) noexcept
    : folder(other.folder)
    , name(std::move(other.name))
{
    other.folder = -1;
}

GuardedPlace &GuardedPlace::operator=(GuardedPlace &&other) noexcept
{
    if (this != &other) {
        if (folder >= 0)
            ::close(folder);
        folder = other.folder;
        name = std::move(other.name);
        other.folder = -1;
    }
    return *this;
}

bool findFolderPlace(const QString &path, GuardedPlace *place)
{
    const QByteArray absolute = absolutePath(path);
    const int slash = absolute.lastIndexOf('/');
    const QByteArray name = absolute.mid(slash + 1);
    if (!isFileName(name))
        return false;
    *place = GuardedPlace();
    place->name = name;
    place->folder = HeldFolder::open(slash == 0 ? QByteArray("/") : absolute.left(slash));
    return place->folder >= 0;
}

bool findGuardedPlace(const QString &path, GuardedPlace *place)
{
    GuardedPlace base;
    if (!findFolderPlace(path, &base))
        return false;
    // A folder removed meanwhile takes no file.
    struct stat baseInfo;
    if (::fstat(base.folder, &baseInfo) != 0 || baseInfo.st_nlink == 0)
        return false;
    const QByteArray basePath = folderPath(base.folder);
    if (basePath.isEmpty())
        return false;
    // The rest of the way, relative to the base folder; every folder on it is
    // opened, and is to lie inside the base folder once opened.
    QByteArray rest = base.name;
    for (int depth = 0;; ++depth) {
        const int slash = rest.lastIndexOf('/');
        GuardedPlace step;
        step.name = rest.mid(slash + 1);
        if (!isFileName(step.name))
            return false;
        if (slash < 0) {
            step.folder = ::fcntl(base.folder, F_DUPFD_CLOEXEC, 0);
        } else {
            step.folder = ::openat(base.folder, rest.left(slash).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            const QByteArray stepPath = step.folder >= 0 ? folderPath(step.folder) : QByteArray();
            if (stepPath.isEmpty() || (stepPath != basePath && !stepPath.startsWith(basePath == "/" ? basePath : basePath + '/')))
                return false;
        }
        if (step.folder < 0)
            return false;
        struct stat info;
        if (::fstatat(step.folder, step.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return false;
            *place = std::move(step);
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            // No file can replace a folder; a file with another name may be an input or lie elsewhere.
            if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && info.st_nlink > 1))
                return false;
            *place = std::move(step);
            return true;
        }
        if (depth == maxLinkDepth)
            return false;
        char target[PATH_MAX];
        const ssize_t size = ::readlinkat(step.folder, step.name.constData(), target, sizeof target);
        if (size <= 0 || size == ssize_t(sizeof target))
            return false;
        const QByteArray link(target, int(size));
        if (link.startsWith('/')) {
            const QByteArray prefix = basePath == "/" ? basePath : basePath + '/';
            if (!link.startsWith(prefix))
                return false;
            rest = link.mid(prefix.size());
        } else {
            rest = slash < 0 ? link : rest.left(slash + 1) + link;
        }
    }
}

QString guardedTarget(const QString &path)
{
    GuardedPlace place;
    if (!findGuardedPlace(path, &place))
        return QString();
    const QByteArray folder = folderPath(place.folder);
    if (folder.isEmpty())
        return QString();
    return QFile::decodeName((folder == "/" ? QByteArray() : folder) + '/' + place.name);
}

int guardedDiskFailures()
{
    return diskFailures;
}

namespace {

bool writeInPlace(const GuardedPlace &place, const std::function<bool(QIODevice *)> &writeContent, bool *contentFailed)
{
    const int folder = place.folder;
    const QByteArray &targetName = place.name;
    // A file made without a name locks the folder only when it is linked in, once:
    // rows written at once into one folder wait less for each other, and a killed
    // run leaves nothing behind. Its name comes through /proc.
    static const bool namelessFiles = ::access("/proc/self/fd", X_OK) == 0;
    int fd = namelessFiles ? ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    const QByteArray handle = fd >= 0 ? descriptorName(fd) : QByteArray();
    // Otherwise, and to replace a file, it gets a name beside the target that no one else uses.
    QByteArray partName;
    const auto makePart = [&] {
        for (int attempt = 0; attempt < 100; ++attempt) {
            partName = ".glyphora-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".part";
            if (handle.isEmpty()) {
                fd = ::openat(folder, partName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                if (fd >= 0)
                    return true;
            } else if (::linkat(AT_FDCWD, handle.constData(), folder, partName.constData(), AT_SYMLINK_FOLLOW) == 0) {
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
    const bool replaces = ::fstatat(folder, targetName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    QFile file;
    bool ok = file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)
        && (!replaces || !S_ISREG(existing.st_mode) || ::fchmod(fd, existing.st_mode & 07777) == 0);
    if (ok) {
        ok = writeContent(&file);
        *contentFailed = !ok && file.error() == QFileDevice::NoError;
    }
    ok = ok && file.flush() && file.error() == QFileDevice::NoError;
    file.close();
    if (ok && partName.isEmpty()) {
        // A free name takes the file in one step; one already taken goes through a part name.
        ok = (!replaces && ::linkat(AT_FDCWD, handle.constData(), folder, targetName.constData(), AT_SYMLINK_FOLLOW) == 0)
            || makePart();
        if (ok && partName.isEmpty()) {
            if (::close(fd) == 0)
                return true;
            ::unlinkat(folder, targetName.constData(), 0);
            return false;
        }
    }
    ok = ::close(fd) == 0 && ok;
    // The rename replaces whatever now stands at the target, a link included, and never follows it.
    if (ok && ::renameat(folder, partName.constData(), folder, targetName.constData()) == 0)
        return true;
    if (!partName.isEmpty())
        ::unlinkat(folder, partName.constData(), 0);
    return false;
}

}

bool writeGuardedFile(const QString &path, const std::function<bool(QIODevice *)> &writeContent)
{
    GuardedPlace place;
    if (!findGuardedPlace(path, &place))
        return false;
    bool contentFailed = false;
    if (writeInPlace(place, writeContent, &contentFailed))
        return true;
    if (!contentFailed)
        ++diskFailures;
    return false;
}

bool syncFolder(const QString &folder)
{
    const int fd = HeldFolder::open(absolutePath(folder));
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}
