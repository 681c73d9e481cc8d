#pragma once

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
// or when the folder does not exist.
QString guardedTarget(const QString &path);

// Writes a whole file: writeContent fills a new file beside the target, which
// then replaces the target in one step. False when the target is refused (see
// guardedTarget), writeContent fails or any write, the flush or the close fails;
// the target is then left as it was. The file is not synced to the disk: a run
// calls syncFolder once at its end.
bool writeGuardedFile(const QString &path, const std::function<bool(QIODevice *)> &writeContent);

// Waits until everything written to the file system holding the folder is on the
// disk. False when the folder cannot be opened or the system reports that a write
// failed.
bool syncFolder(const QString &folder);
