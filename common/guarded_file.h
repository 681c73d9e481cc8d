#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Every file the program writes goes through here or through GuardedLineFile:
// whatever links lie in the save folder, nothing is written outside it, and a
// file is either complete or absent.

// Longest file name most file systems take, in bytes.
constexpr int maxFileNameBytes = 255;

// The file that writing `path` would reach: the path with its whole chain of
// links followed, as a canonical path. Empty when that file would lie outside the
// folder holding `path` (or one of its sub-folders), when the chain does not end,
// when the folder does not exist, when a folder stands there, or when the file
// exists with more than one name (a hard link: writing it would change a file
// elsewhere, an input perhaps).
// The folder is the one held for the run (see held_folder.h) when there is one.
QString guardedTarget(const QString &path);

// Where writing a path lands: the folder that holds the file, open, and the file's
// name in it. Files are made, replaced and removed relative to that descriptor,
// never by a path that a link put in meanwhile could send elsewhere.
struct GuardedPlace
{
    GuardedPlace() = default;
    ~GuardedPlace();
    GuardedPlace(GuardedPlace &&other) noexcept;
    GuardedPlace &operator=(GuardedPlace &&other) noexcept;
    GuardedPlace(const GuardedPlace &) = delete;
    GuardedPlace &operator=(const GuardedPlace &) = delete;

    int folder = -1;
    QByteArray name;
};

// The place of guardedTarget(path); false when that is empty.
bool findGuardedPlace(const QString &path, GuardedPlace *place);
// The place of a new file named directly in the folder of path; false when the
// folder cannot be opened or the name is no file name.
bool findFolderPlace(const QString &path, GuardedPlace *place);

// Writes a whole file: writeContent fills a new file beside the target, which
// then replaces the target in one step. False when the target is refused (see
// guardedTarget), writeContent fails or any write, the flush or the close fails;
// the target is then left as it was. The file is not synced to the disk: a run
// calls syncFolder once at its end.
bool writeGuardedFile(const QString &path, const std::function<bool(QIODevice *)> &writeContent);

// How many writeGuardedFile calls of this thread have failed on the disk (full, or
// refusing the write), rather than by refusing the path or making no content.
int guardedDiskFailures();

// Waits until everything written to the file system holding the folder is on the
// disk. False when the folder cannot be opened or the system reports that a write
// failed.
bool syncFolder(const QString &folder);
