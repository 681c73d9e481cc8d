#include "batch_decode/decode_pool.h"

#include "batch_decode/cnn_reader.h"
#include "common/heap_reuse.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

DecodePool::DecodePool(const QStringList &modelPaths, DecodeEngines engines, int jobs, bool allFormats)
    : engines(engines)
    , allFormats(allFormats)
{
    // The CNN detector allocates and frees buffers of many megabytes for every
    // picture; set before the pool's threads start, so that they all reuse them
    // (glyphora-batch sets it earlier still, before its worker thread starts).
    static const bool memoryKept = (keepFreedMemoryInOneHeap(), true);
    Q_UNUSED(memoryKept)
    if (engines != DecodeEngines::Zxing) {
        cnn = std::make_unique<CnnReader>(modelPaths);
        modelsMissing = !cnn->isReady();
        if (modelsMissing)
            cnn.reset();
    }
    threads.setMaxThreadCount(jobs > 0 ? jobs : qMax(1, QThread::idealThreadCount()));
}

DecodePool::~DecodePool()
{
    threads.clear();
    threads.waitForDone();
    // The window lives on after a run.
    releaseFreedMemory();
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
        started.enqueue(QtConcurrent::run(&threads, [this, path] { return decodeQrImage(path, engines, cnn.get(), allFormats); }));
    }
}
