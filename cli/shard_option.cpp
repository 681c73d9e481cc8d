#include "cli/shard_option.h"

#include <QStringList>

namespace {

// More shares than this is a typing error, not a cluster.
constexpr int maxShards = 1'000'000;

}

ShardOption readShardOption(const QMap<QString, QString> &options)
{
    ShardOption option;
    if (!options.contains(QStringLiteral("--shard")))
        return option;
    const QString text = options.value(QStringLiteral("--shard"));
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    bool indexOk = false;
    bool countOk = false;
    const int index = parts.value(0).toInt(&indexOk);
    const int count = parts.value(1).toInt(&countOk);
    if (parts.size() != 2 || !indexOk || !countOk || count < 1 || count > maxShards || index < 0 || index >= count) {
        option.error = QStringLiteral("--shard 应为 K/N，N 为 1 到 %1 之间的整数，K 从 0 到 N-1，如 --shard 0/4：%2")
                           .arg(maxShards)
                           .arg(text);
        return option;
    }
    option.shard = BatchShard{index, count};
    return option;
}
