#include "common/shard_manifest.h"

#include <QFile>

namespace {

const QByteArray magic = QByteArrayLiteral("glyphora-shard");

QByteArray field(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QByteArrayLiteral("=") : bytes.toBase64();
}

QByteArray unfield(const QByteArray &bytes)
{
    return bytes == "=" ? QByteArray() : QByteArray::fromBase64(bytes);
}

}

bool ShardManifest::create(const QString &savePath, const QString &kind, const BatchShard &shard, const QString &stamp)
{
    // A manifest of an earlier run in this folder is replaced: its files are overwritten too.
    QFile::remove(savePath + QLatin1Char('/') + fileName());
    return file.create(savePath + QLatin1Char('/') + fileName())
        && file.write(magic + '\t' + kind.toUtf8() + '\t' + QByteArray::number(shard.index) + '\t'
                      + QByteArray::number(shard.count) + '\t' + field(stamp.toUtf8()) + '\n');
}

bool ShardManifest::add(const Entry &entry)
{
    return file.write(QByteArray(1, entry.kind) + '\t' + QByteArray::number(entry.item) + '\t' + QByteArray::number(entry.folder)
                      + '\t' + (entry.null ? QByteArrayLiteral("-") : field(entry.text)) + '\t' + field(entry.extra) + '\n');
}

ShardManifest::Contents ShardManifest::read(const QString &savePath)
{
    Contents contents;
    QFile in(savePath + QLatin1Char('/') + fileName());
    if (!in.open(QIODevice::ReadOnly)) {
        contents.error = QStringLiteral("找不到分片记录 %1（需由 --shard 运行生成）").arg(in.fileName());
        return contents;
    }
    const QList<QByteArray> head = in.readLine().trimmed().split('\t');
    bool ok = head.size() == 5 && head.at(0) == magic;
    if (ok) {
        contents.kind = QString::fromUtf8(head.at(1));
        contents.shard.index = head.at(2).toInt(&ok);
        contents.shard.count = ok ? head.at(3).toInt(&ok) : 0;
        contents.stamp = QString::fromUtf8(unfield(head.at(4)));
    }
    while (ok && !in.atEnd()) {
        const QList<QByteArray> parts = in.readLine().trimmed().split('\t');
        ok = parts.size() == 5 && parts.at(0).size() == 1;
        if (!ok)
            break;
        Entry entry;
        entry.kind = parts.at(0).at(0);
        entry.item = parts.at(1).toLongLong(&ok);
        entry.folder = ok ? parts.at(2).toLongLong(&ok) : 0;
        entry.null = parts.at(3) == "-";
        entry.text = entry.null ? QByteArray() : unfield(parts.at(3));
        entry.extra = unfield(parts.at(4));
        contents.entries << entry;
    }
    if (!ok || in.error() != QFile::NoError || contents.shard.count < 1 || contents.shard.index < 0
        || contents.shard.index >= contents.shard.count)
        contents.error = QStringLiteral("分片记录已损坏：%1").arg(in.fileName());
    return contents;
}
