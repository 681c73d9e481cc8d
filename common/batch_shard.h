#pragma once

#include <QtGlobal>

// One of count equal shares of a batch: the items, counted from 0 in the order a
// whole run takes them, whose number modulo count is index. Runs of all the
// shares together do every item once, with no coordination between them.
struct BatchShard
{
    int index = 0;
    int count = 1;
    bool holds(qint64 item) const { return item % count == index; }
};
