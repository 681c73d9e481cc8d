#include "cli/merge_command.h"

#include "batch_decode/batch_jiema.h"
#include "cli/report_printer.h"
#include "common/guarded_file.h"
#include "common/guarded_line_file.h"
#include "common/held_folder.h"
#include "common/shard_manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Entry = ShardManifest::Entry;

struct Placed
{
    Entry entry;
    QString saveFolder;
};

int fail(const QString &message)
{
    fputs(QStringLiteral("错误：%1\n").arg(printableText(message)).toUtf8().constData(), stderr);
    return 1;
}

// A hard link where the file systems allow it, else a copy; never over a file.
bool placePicture(const QString &from, const QString &to)
{
    GuardedPlace place;
    if (!findFolderPlace(to, &place))
        return false;
    if (::linkat(AT_FDCWD, QFile::encodeName(from).constData(), place.folder, place.name.constData(), 0) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    return writeGuardedFile(to, [&in](QIODevice *out) {
        while (!in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            if (in.error() != QFile::NoError || out->write(block) != block.size())
                return false;
        }
        return true;
    });
}

bool writeNewFile(const QString &path, const QByteArray &bytes)
{
    GuardedLineFile file;
    return file.create(path) && file.write(bytes) && file.close();
}

}

int runMerge(const CommandLine &line)
{
    const QString out = line.arguments.first();
    const QStringList saves = line.arguments.mid(1);
    QList<ShardManifest::Contents> shards;
    QSet<int> indexes;
    for (const QString &save : saves) {
        ShardManifest::Contents contents = ShardManifest::read(save);
        if (!contents.error.isEmpty())
            return fail(contents.error);
        if (!shards.isEmpty() && (contents.kind != shards.first().kind || contents.shard.count != shards.first().shard.count))
            return fail(QStringLiteral("%1 不是同一次分片运行的结果").arg(save));
        if (indexes.contains(contents.shard.index))
            return fail(QStringLiteral("第 %1 份出现了两次：%2").arg(contents.shard.index).arg(save));
        indexes.insert(contents.shard.index);
        shards << contents;
    }
    if (shards.isEmpty() || indexes.size() != shards.first().shard.count)
        return fail(QStringLiteral("需要全部 %1 份的保存文件夹，只给了 %2 份").arg(shards.isEmpty() ? 0 : shards.first().shard.count).arg(indexes.size()));
    const bool decode = shards.first().kind == QLatin1String("decode");

    // Everything is sorted into the whole run's order first, then checked against OUT.
    QMap<qint64, Placed> pictures;
    QMap<qint64, QByteArray> logLines;
    QMap<qint64, QMap<qint64, QByteArray>> rows;
    QMap<qint64, Entry> folders;
    QByteArray heading;
    QString stamp;
    for (int i = 0; i < shards.size(); ++i) {
        const ShardManifest::Contents &shard = shards.at(i);
        // The CSV files take the stamp of the shard that started first.
        if (stamp.isEmpty() || shard.stamp < stamp)
            stamp = shard.stamp;
        for (const Entry &entry : shard.entries) {
            switch (entry.kind) {
            case 'H': heading = entry.text; break;
            case 'P': pictures.insert(entry.item, {entry, saves.at(i)}); break;
            case 'L': logLines.insert(entry.item, entry.text); break;
            case 'R': rows[entry.folder].insert(entry.item, entry.text); break;
            case 'F': folders.insert(entry.item, entry); break;
            default: break;
            }
        }
    }
    // A whole run keeps the first row of a name and logs the later ones as duplicates.
    QSet<QByteArray> taken;
    for (auto it = pictures.begin(); it != pictures.end();) {
        if (taken.contains(it->entry.text)) {
            logLines.insert(it.key(), it->entry.extra);
            it = pictures.erase(it);
        } else {
            taken.insert(it->entry.text);
            ++it;
        }
    }
    QMap<QString, QByteArray> textFiles;
    if (decode) {
        for (const Entry &folder : folders) {
            const QString name = folder.null ? QString() : QString::fromUtf8(folder.text);
            QByteArray csv = QByteArrayLiteral("\xEF\xBB\xBF") + (folder.null ? QByteArrayLiteral("fileName,qrContent \n") : QByteArray());
            for (const QByteArray &row : rows.value(folder.item))
                csv += row;
            textFiles.insert(csvName(stamp, name) + QStringLiteral(".csv"), csv);
        }
    }
    if (!logLines.isEmpty()) {
        QByteArray log = heading;
        for (const QByteArray &logLine : logLines)
            log += decode ? stamp.toUtf8() + logLine : logLine;
        textFiles.insert(QStringLiteral("error_log.txt"), log);
    }

    if (!QDir(out).exists() && !QDir().mkpath(out))
        return fail(QStringLiteral("保存文件夹不存在并且创建失败：%1").arg(out));
    const HeldFolder outFolder(out);
    if (!outFolder.isOpen())
        return fail(QStringLiteral("无法写入保存文件夹：%1").arg(out));
    QStringList names = textFiles.keys();
    for (const Placed &picture : pictures)
        names << QString::fromUtf8(picture.entry.text);
    for (const QString &name : names) {
        if (QFileInfo(out + QLatin1Char('/') + name).exists() || QFileInfo(out + QLatin1Char('/') + name).isSymLink())
            return fail(QStringLiteral("合并文件夹中已有同名文件，未做任何改动：%1").arg(out + QLatin1Char('/') + name));
    }
    for (const Placed &picture : pictures) {
        const QString name = QString::fromUtf8(picture.entry.text);
        if (!placePicture(picture.saveFolder + QLatin1Char('/') + name, out + QLatin1Char('/') + name))
            return fail(QStringLiteral("无法写入文件：%1").arg(out + QLatin1Char('/') + name));
    }
    for (auto it = textFiles.cbegin(); it != textFiles.cend(); ++it) {
        if (!writeNewFile(out + QLatin1Char('/') + it.key(), it.value()))
            return fail(QStringLiteral("无法写入文件：%1").arg(out + QLatin1Char('/') + it.key()));
    }
    if (!syncFolder(out))
        return fail(QStringLiteral("无法写入保存文件夹：%1").arg(out));
    QString summary = QStringLiteral("已合并 %1 份：%2 张图片").arg(shards.size()).arg(pictures.size());
    if (decode)
        summary += QStringLiteral("，%1 个 CSV 文件（时间戳取最早开始的一份：%2）").arg(folders.size()).arg(stamp);
    summary += QStringLiteral("，%1 个失败条目\n").arg(logLines.size());
    fputs(summary.toUtf8().constData(), stdout);
    return logLines.isEmpty() ? 0 : 3;
}
