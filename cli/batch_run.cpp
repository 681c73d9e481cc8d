#include "cli/batch_run.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <cstdio>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;
// How long the item in hand may take to finish once a run is interrupted.
constexpr qint64 interruptGraceMs = 4000;

void onInterrupt(int signal)
{
    interruptRequested = 1;
    // A second Ctrl+C (or SIGTERM) ends the program at once.
    std::signal(signal, SIG_DFL);
}

}

int runOnWorkerThread(QObject *worker, const std::function<void()> &start, ReportPrinter &printer)
{
    QThread thread;
    worker->moveToThread(&thread);
    QObject::connect(worker, &QObject::destroyed, &thread, &QThread::quit, Qt::DirectConnection);
    QEventLoop loop;
    // Queued after every report, so all of them are printed before the loop ends.
    QObject::connect(&thread, &QThread::finished, &loop, &QEventLoop::quit);
    // Only a flag may be set in a signal handler; the thread is told from here.
    QTimer interruptWatch;
    QElapsedTimer sinceInterrupt;
    QObject::connect(&interruptWatch, &QTimer::timeout, [&thread, &sinceInterrupt] {
        if (!interruptRequested)
            return;
        thread.requestInterruption();
        // A picture can hold a decoder far longer than a user waits: past the grace
        // the program ends, the files finished so far kept as they are.
        if (!sinceInterrupt.isValid())
            sinceInterrupt.start();
        else if (sinceInterrupt.elapsed() > interruptGraceMs) {
            fputs("已中断：已生成的文件保留在保存文件夹中\n", stderr);
            std::_Exit(interruptedExitCode);
        }
    });
    interruptWatch.start(50);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    QMetaObject::invokeMethod(worker, start, Qt::QueuedConnection);
    thread.start();
    loop.exec();
    thread.wait();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (!interruptRequested) {
        printer.finish(printer.exitCode(), false);
        return printer.exitCode();
    }
    printer.finish(interruptedExitCode, true);
    fputs("已中断：已生成的文件保留在保存文件夹中\n", stderr);
    return interruptedExitCode;
}
