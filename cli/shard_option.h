#pragma once

#include "common/batch_shard.h"

#include <QMap>
#include <QString>

// The --shard K/N option of generate and decode.
struct ShardOption
{
    BatchShard shard;
    // Chinese, when the value is malformed (exit code 2).
    QString error;
};

ShardOption readShardOption(const QMap<QString, QString> &options);
