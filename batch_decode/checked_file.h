#pragma once

#include <QFile>
#include <QString>

// A UTF-8 text file written line by line straight to the disk, so that a full
// disk or a vanished folder shows up at the write that hits it.
class CheckedFile
{
public:
    // Opens for appending (text mode); mode may add flags such as NewOnly. With
    // withBom set, a file that is still empty gets the UTF-8 byte-order mark that
    // spreadsheet programs need to read it as UTF-8. False only when the file
    // cannot be opened.
    bool open(const QString &path, QIODevice::OpenMode mode, bool withBom);
    bool write(const QString &text);
    // Closes the file; false when it or any earlier write failed.
    bool close();

private:
    QFile file;
    bool failed = false;
};
