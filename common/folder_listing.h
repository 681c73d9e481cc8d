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

// A folder's entries by name, letter case ignored.
struct FolderListing
{
    // False when the folder cannot be listed (missing, or no permission).
    bool listed = false;
    // Regular files, hidden ones included, links left out.
    QVector<FolderEntry> files;
    // Folders and links to folders, hidden ones left out.
    QVector<FolderEntry> folders;
};

FolderListing listFolder(const QString &path);
