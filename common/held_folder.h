#pragma once

#include <QByteArray>
#include <QString>

// A run's save folder, opened once. While an object holds it, every guarded write
// to a path in it, as the run names it, goes into the folder opened then, even when
// the name is meanwhile given to another folder or a link: the run writes into the
// folder it checked.
class HeldFolder
{
public:
    explicit HeldFolder(const QString &path);
    ~HeldFolder();
    HeldFolder(const HeldFolder &) = delete;
    HeldFolder &operator=(const HeldFolder &) = delete;

    bool isOpen() const { return fd >= 0; }
    // Whether the folder's file system takes "A" and "a" for one name, tried once
    // with a file of its own; false when that cannot be told.
    bool ignoresLetterCase() const { return caseless; }

    // A new descriptor of the folder held under this absolute path, or of the
    // folder the path names now when none is held; -1 when it cannot be opened.
    static int open(const QByteArray &path);

private:
    QByteArray key;
    int fd = -1;
    bool caseless = false;
};
