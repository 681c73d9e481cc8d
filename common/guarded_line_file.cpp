#include "common/guarded_line_file.h"

#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Cuts the last count bytes off the file, so that it ends with a whole line again.
// Should that fail too, the run still ends with the write failure already seen.
void takeBack(int fd, qint64 count)
{
    struct stat info;
    if (::fstat(fd, &info) == 0 && ::ftruncate(fd, info.st_size - count) != 0)
        return;
}

// The shared hold of an appending object: tried for a while rather than waited for,
// so that a program holding the file for itself cannot hang the run. A file system
// without such holds (some network and FUSE ones) is written without.
bool holdShared(int fd)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
            return true;
        QThread::msleep(20);
    }
    return false;
}

// Whether no other object holds the file; on a file system without holds, the
// file's size alone tells.
bool heldAlone(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

}

GuardedLineFile::~GuardedLineFile()
{
    if (fd >= 0)
        ::close(fd);
}

GuardedLineFile::GuardedLineFile(GuardedLineFile &&other) noexcept
    : place(std::move(other.place))
    , fd(other.fd)
    , bytesWritten(other.bytesWritten)
    , device(other.device)
    , inode(other.inode)
    , failed(other.failed)
    , nameTaken(other.nameTaken)
    , madeHere(other.madeHere)
{
    other.fd = -1;
}

bool GuardedLineFile::create(const QString &path)
{
    if (!findFolderPlace(path, &place))
        return false;
    // O_EXCL never follows a link: a link under the name counts as a taken name.
    const int descriptor = ::openat(place.folder, place.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    nameTaken = descriptor < 0 && errno == EEXIST;
    madeHere = descriptor >= 0;
    return descriptor >= 0 && openFd(descriptor);
}

bool GuardedLineFile::append(const QString &path)
{
    if (!findGuardedPlace(path, &place))
        return false;
    const char *name = place.name.constData();
    // A few tries: another run may create the file between the two opens, or remove
    // it before it is held. Non-blocking, so that a named pipe in the file's place
    // cannot hang the run.
    for (int attempt = 0; attempt < 4; ++attempt) {
        int descriptor = ::openat(place.folder, name, O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        madeHere = false;
        if (descriptor < 0 && errno == ENOENT) {
            descriptor = ::openat(place.folder, name, O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            madeHere = descriptor >= 0;
            if (descriptor < 0 && errno == EEXIST)
                continue;
        }
        if (descriptor < 0 || !openFd(descriptor))
            return false;
        if (holdShared(fd) && stillAtPath())
            return true;
        ::close(fd);
        fd = -1;
    }
    return false;
}

bool GuardedLineFile::reopen()
{
    if (fd >= 0 || !madeHere || failed)
        return false;
    const int descriptor = ::openat(place.folder, place.name.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (descriptor >= 0 && ::fstat(descriptor, &info) == 0 && info.st_dev == device && info.st_ino == inode) {
        fd = descriptor;
        return true;
    }
    if (descriptor >= 0)
        ::close(descriptor);
    return false;
}

bool GuardedLineFile::openFd(int descriptor)
{
    struct stat info;
    // A file with another name may be one the run reads, or one outside the save folder.
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
        ::close(descriptor);
        return false;
    }
    fd = descriptor;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

bool GuardedLineFile::stillAtPath() const
{
    struct stat info;
    return place.folder >= 0 && ::fstatat(place.folder, place.name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
        && info.st_dev == device && info.st_ino == inode;
}

bool GuardedLineFile::write(const QByteArray &bytes)
{
    if (fd < 0 || failed)
        return false;
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += count;
    }
    if (written == bytes.size()) {
        bytesWritten += written;
        return true;
    }
    failed = true;
    if (written > 0)
        takeBack(fd, written);
    return false;
}

bool GuardedLineFile::close()
{
    if (fd < 0)
        return !failed;
    const bool atPath = stillAtPath();
    if (::close(fd) != 0 || !atPath)
        failed = true;
    fd = -1;
    return !failed;
}

void GuardedLineFile::remove()
{
    if (fd < 0 && device != 0)
        fd = ::openat(place.folder, place.name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    // Held alone, the file can take no line of another object before it is gone.
    struct stat info;
    const bool alone = fd >= 0 && heldAlone(fd) && ::fstat(fd, &info) == 0
        && info.st_dev == device && info.st_ino == inode && info.st_size == bytesWritten && stillAtPath();
    if (alone)
        ::unlinkat(place.folder, place.name.constData(), 0);
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}
