#include "common/folder_listing.h"

#include "common/text_codec.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

FolderListing listFolder(const QString &path)
{
    FolderListing listing;
    const QByteArray folder = QFile::encodeName(path);
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return listing;
    for (;;) {
        // Only errno tells the end of the listing from a failure to read on.
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            listing.listed = errno == 0;
            break;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat info;
        const QByteArray entryPath = folder + '/' + name;
        if (::lstat(entryPath.constData(), &info) != 0)
            continue;
        // A link is taken for what it leads to, wherever that is: pictures are only read.
        const bool link = S_ISLNK(info.st_mode);
        const bool leads = !link || ::stat(entryPath.constData(), &info) == 0;
        const bool isFile = leads && S_ISREG(info.st_mode);
        const bool isFolder = leads && S_ISDIR(info.st_mode);
        if (isFolder && name.startsWith('.'))
            continue;
        FolderEntry item{QFile::decodeName(name), true};
        if (QFile::encodeName(item.name) != name)
            item = FolderEntry{decodeLocalText(name), false};
        if (isFile)
            listing.files << item;
        else if (isFolder)
            listing.folders << item;
        else
            listing.skipped << SkippedEntry{item, !leads ? QStringLiteral("链接指向的文件不存在")
                                                         : QStringLiteral("不是普通文件")};
    }
    ::closedir(dir);
    // In name order, letter case ignored, as file managers show them.
    const auto byName = [](const FolderEntry &a, const FolderEntry &b) { return a.name.toLower() < b.name.toLower(); };
    std::stable_sort(listing.files.begin(), listing.files.end(), byName);
    std::stable_sort(listing.folders.begin(), listing.folders.end(), byName);
    std::stable_sort(listing.skipped.begin(), listing.skipped.end(),
                     [&byName](const SkippedEntry &a, const SkippedEntry &b) { return byName(a.entry, b.entry); });
    return listing;
}
