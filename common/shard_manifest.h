#pragma once

#include "common/batch_shard.h"
#include "common/guarded_line_file.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What a shard run records, beside its visible files, for `merge` to rebuild a
// whole run's files: the whole-run item number of every picture, CSV row and
// log line it wrote. One line an entry, its texts in base64, so no name breaks it.
class ShardManifest
{
public:
    // The hidden file in a shard's save folder.
    static QString fileName() { return QStringLiteral(".glyphora-shard"); }

    struct Entry
    {
        char kind = 0;      // 'H' log heading, 'P' picture, 'F' folder, 'R' CSV row, 'L' log line
        qint64 item = 0;    // whole-run item number; the folder's number for 'F'
        qint64 folder = 0;  // the folder of an 'R'
        QByteArray text;    // log line, CSV row, picture or folder name (UTF-8)
        QByteArray extra;   // a picture's log line, should merge find it a duplicate
        bool null = false;  // an 'F' for the main folder
    };

    // Starts the manifest of a run of shard in savePath; stamp names the run's CSV files.
    bool create(const QString &savePath, const QString &kind, const BatchShard &shard, const QString &stamp = QString());
    bool add(const Entry &entry);
    bool close() { return file.close(); }

    // A manifest as read back; error says why it cannot be used.
    struct Contents
    {
        QString kind;
        BatchShard shard;
        QString stamp;
        QList<Entry> entries;
        QString error;
    };
    static Contents read(const QString &savePath);

private:
    GuardedLineFile file;
};
