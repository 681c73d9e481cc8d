#pragma once

#include <QString>
#include <QVector>

// One entry of a folder. A name whose bytes are not valid in the file-name encoding
// (names from an archive made on a system with another encoding) cannot be opened
// by its text: readable is false and the name is decoded as well as it can be.
struct FolderEntry
{
    QString name;
    bool readable = true;
};

// An entry that is neither a file to read nor a folder, and why, in Chinese.
struct SkippedEntry
{
    FolderEntry entry;
    QString reason;
};

// A folder's entries by name, letter case ignored.
struct FolderListing
{
    // False when the folder cannot be listed (missing, or no permission).
    bool listed = false;
    // Regular files and links to them, hidden ones included.
    QVector<FolderEntry> files;
    // Folders and links to folders, hidden ones left out.
    QVector<FolderEntry> folders;
    // Links that lead nowhere, FIFOs, devices, sockets, and links to them.
    QVector<SkippedEntry> skipped;
};

FolderListing listFolder(const QString &path);
