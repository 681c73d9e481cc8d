#include "common/pixel_budget.h"

#include "common/input_limits.h"

#include <QMutex>
#include <QWaitCondition>

namespace {

QMutex budgetLock;
QWaitCondition budgetFreed;
qint64 inFlight = 0;
thread_local qint64 heldHere = 0;

}

void PixelBudget::hold(qint64 pixels)
{
    pixels = qMax<qint64>(pixels, 0);
    QMutexLocker locker(&budgetLock);
    while (heldHere == 0 && inFlight > 0 && inFlight + pixels > maxPixelsInFlight)
        budgetFreed.wait(&budgetLock);
    inFlight += pixels;
    heldHere += pixels;
}

void PixelBudget::release()
{
    if (heldHere == 0)
        return;
    QMutexLocker locker(&budgetLock);
    inFlight -= heldHere;
    heldHere = 0;
    budgetFreed.wakeAll();
}
