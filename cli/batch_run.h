#pragma once

#include "cli/report_printer.h"

#include <QObject>
#include <QString>

#include <functional>

// Exit code of a run stopped by Ctrl+C or SIGTERM (128 + SIGINT, as shells report Ctrl+C).
constexpr int interruptedExitCode = 130;

// Makes Ctrl+C and SIGTERM ask a run to stop, and end the program with
// interruptedExitCode a few seconds later if the run has not stopped by then.
// Called first in main, so that a signal is never lost before the run begins.
void installInterruptHandler();

// Moves the parentless worker onto a thread of its own, calls start there and
// waits until the worker has deleted itself. Ctrl+C and SIGTERM ask the worker to
// stop after its items in hand. Returns the printer's exit code, or interruptedExitCode,
// having told the printer.
int runOnWorkerThread(QObject *worker, const std::function<void()> &start, ReportPrinter &printer);

// Runs one batch worker (batchStart(QString, QString, QString) and
// returnResult(QString, QString), deleting itself when done) and prints its
// reports on the console: as JSON lines naming each item by jsonItemKey, unless that is empty.
template <class Worker>
int runBatchWorker(Worker *worker, const QString &input, const QString &save, const QString &mode, const QString &jsonItemKey)
{
    ReportPrinter printer;
    if (!jsonItemKey.isEmpty())
        printer.setJson(jsonItemKey);
    QObject::connect(worker, &Worker::returnResult, &printer, &ReportPrinter::print);
    return runOnWorkerThread(worker, [=] { worker->batchStart(input, save, mode); }, printer);
}
