#include "batch_decode/decode_pool.h"

#include "batch_decode/cnn_reader.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <malloc.h>

namespace {

// The CNN detector allocates and frees buffers of many megabytes for every
// picture. glibc hands such blocks back to the system at once, and the next
// picture faults them in again, zeroed: half the time of a pass on small
// pictures. Kept in the heap, they are reused. One heap for all threads keeps
// what the largest picture needs once, not once per thread; it is set up before
// any thread starts, so that every thread allocates from it.
const bool freedMemoryKeptInHeap = [] {
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 32 << 20); // the most glibc allows
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    return true;
}();

}

DecodePool::DecodePool(const QStringList &modelPaths, DecodeEngines engines)
    : engines(engines)
{
    if (engines != DecodeEngines::Zxing) {
        cnn = std::make_unique<CnnReader>(modelPaths);
        modelsMissing = !cnn->isReady();
        if (modelsMissing)
            cnn.reset();
    }
    threads.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
}

DecodePool::~DecodePool()
{
    threads.clear();
    threads.waitForDone();
    // The window lives on after a run.
    malloc_trim(0);
}

bool DecodePool::lacksModels() const
{
    return modelsMissing;
}

void DecodePool::add(const QString &picturePath)
{
    waiting.enqueue(picturePath);
    startWaiting();
}

QString DecodePool::takeNext()
{
    if (started.isEmpty())
        return QString();
    const QString text = started.dequeue().result();
    startWaiting();
    return text;
}

void DecodePool::startWaiting()
{
    // Two per thread: a thread never waits for the caller to take a result.
    while (!waiting.isEmpty() && started.size() < 2 * threads.maxThreadCount()) {
        const QString path = waiting.dequeue();
        started.enqueue(QtConcurrent::run(&threads, [this, path] { return decodeQrImage(path, engines, cnn.get()); }));
    }
}
