#include "app/worker_thread.h"

#include <QObject>
#include <QThread>

QThread *moveToWorkerThread(QObject *worker)
{
    auto *thread = new QThread;
    worker->moveToThread(thread);
    QObject::connect(worker, &QObject::destroyed, thread, &QThread::quit, Qt::DirectConnection);
    // A worker whose run never began (the thread stopped at once) goes with its thread.
    QObject::connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    return thread;
}

void stopWorkerThread(QThread *thread)
{
    if (!thread)
        return;
    thread->requestInterruption();
    thread->quit();
    thread->wait();
}
