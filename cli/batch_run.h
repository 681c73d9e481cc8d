#pragma once

#include "cli/report_printer.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QString>
#include <QThread>

// Runs one batch worker (a parentless object with batchStart(QString, QString,
// QString) and returnResult(QString, QString) that deletes itself when done) on a
// thread of its own, prints its reports until it has gone, and returns the exit
// code of the run.
template <class Worker>
int runBatchWorker(Worker *worker, const QString &input, const QString &save, const QString &mode,
                   ReportPrinter &printer)
{
    QThread thread;
    worker->moveToThread(&thread);
    QObject::connect(worker, &Worker::returnResult, &printer, &ReportPrinter::print);
    QObject::connect(worker, &QObject::destroyed, &thread, &QThread::quit, Qt::DirectConnection);
    QEventLoop loop;
    // Queued after every report, so all of them are printed before the loop ends.
    QObject::connect(&thread, &QThread::finished, &loop, &QEventLoop::quit);
    QMetaObject::invokeMethod(worker, [=] { worker->batchStart(input, save, mode); }, Qt::QueuedConnection);
    thread.start();
    loop.exec();
    thread.wait();
    return printer.exitCode();
}
