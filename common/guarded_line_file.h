#pragma once

#include "common/guarded_file.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// A text file written one line at a time straight to the disk (CSV files, error
// logs), under the rules of guarded_file.h: every write and the close are checked,
// a line that cannot be written whole is taken back, so the file only ever holds
// complete lines.
class GuardedLineFile
{
public:
    GuardedLineFile() = default;
    ~GuardedLineFile();
    GuardedLineFile(const GuardedLineFile &) = delete;
    GuardedLineFile &operator=(const GuardedLineFile &) = delete;
    GuardedLineFile(GuardedLineFile &&other) noexcept;

    // A new file that no other run can have: false when the name is taken (by a
    // file or a link) or cannot be created; takenByOther() tells which.
    bool create(const QString &path);
    // Appends to the file at path, following links only inside its folder, and
    // creates it when missing. Only regular files with no other name are opened.
    // Every object appending to one file holds it so, until it closes it.
    bool append(const QString &path);
    // Opens again, for appending, a file this object created and closed; false
    // when the path no longer names that same file.
    bool reopen();

    bool takenByOther() const { return nameTaken; }
    // True when this object made the file.
    bool created() const { return madeHere; }

    // Writes the bytes whole or not at all; false once anything failed.
    bool write(const QByteArray &bytes);
    // False when this close or any earlier write failed, or when the path no
    // longer names the file written (removed or replaced meanwhile).
    bool close();
    // Closes and removes the file, if the path still names it, no other object
    // holds it for appending and it holds nothing but what this object wrote.
    void remove();

private:
    bool openFd(int descriptor);
    bool stillAtPath() const;

    GuardedPlace place;
    int fd = -1;
    qint64 bytesWritten = 0;
    dev_t device = 0;
    ino_t inode = 0;
    bool failed = false;
    bool nameTaken = false;
    bool madeHere = false;
};
