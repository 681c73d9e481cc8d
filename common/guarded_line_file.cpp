#include "common/guarded_line_file.h"

#include "common/guarded_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
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

}

GuardedLineFile::~GuardedLineFile()
{
    if (fd >= 0)
        ::close(fd);
}

GuardedLineFile::GuardedLineFile(GuardedLineFile &&other) noexcept
    : filePath(other.filePath)
    , fd(other.fd)
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
    filePath = path;
    // O_EXCL never follows a link: a link under the name counts as a taken name.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    nameTaken = descriptor < 0 && errno == EEXIST;
    madeHere = descriptor >= 0;
    return descriptor >= 0 && openFd(descriptor);
}

bool GuardedLineFile::append(const QString &path)
{
    filePath = guardedTarget(path);
    if (filePath.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(filePath);
    // Two tries: another run may create the file between the two opens. Non-blocking,
    // so that a named pipe in the file's place cannot hang the run.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int descriptor = ::open(name.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor >= 0)
            return openFd(descriptor);
        if (errno != ENOENT)
            return false;
        descriptor = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            madeHere = true;
            return openFd(descriptor);
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool GuardedLineFile::reopen()
{
    if (fd >= 0 || !madeHere || failed)
        return false;
    const int descriptor = ::open(QFile::encodeName(filePath).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
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
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
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
    return ::lstat(QFile::encodeName(filePath).constData(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
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
    if (written == bytes.size())
        return true;
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
    const bool atPath = device != 0 && stillAtPath();
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    if (atPath)
        ::unlink(QFile::encodeName(filePath).constData());
}
