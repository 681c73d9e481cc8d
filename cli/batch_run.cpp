#include "cli/batch_run.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <time.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;
timespec firstInterrupt{};
// Signals closer together than this are one request: timeout(1) and process
// managers send the same signal to the program and to its process group.
constexpr long sameRequestMilliseconds = 500;
// How long the item in hand may take to finish once a run is interrupted.
constexpr unsigned interruptGraceSeconds = 4;
const char interruptedText[] = "已中断：已生成的文件保留在保存文件夹中\n";

// A picture can hold a decoder far longer than a user waits: past the grace
// the program ends, the files finished so far kept as they are.
void onGraceOver(int)
{
    ssize_t written = write(STDERR_FILENO, interruptedText, sizeof interruptedText - 1);
    (void)written;
    _exit(interruptedExitCode);
}

void onInterrupt(int)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (interruptRequested) {
        const long since = (now.tv_sec - firstInterrupt.tv_sec) * 1000 + (now.tv_nsec - firstInterrupt.tv_nsec) / 1000000;
        // A second Ctrl+C (or SIGTERM) ends the program at once.
        if (since >= sameRequestMilliseconds)
            onGraceOver(0);
        return;
    }
    firstInterrupt = now;
    interruptRequested = 1;
    // The clock runs in the kernel, so it ends the program even while no thread
    // looks at the flag: before the run starts or with every thread in a decoder.
    alarm(interruptGraceSeconds);
}

}

void installInterruptHandler()
{
    std::signal(SIGALRM, onGraceOver);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
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
    QObject::connect(&interruptWatch, &QTimer::timeout, [&thread] {
        if (interruptRequested)
            thread.requestInterruption();
    });
    interruptWatch.start(50);
    QMetaObject::invokeMethod(worker, start, Qt::QueuedConnection);
    thread.start();
    loop.exec();
    thread.wait();
    if (!interruptRequested) {
        printer.finish(printer.exitCode(), false);
        return printer.exitCode();
    }
    printer.finish(interruptedExitCode, true);
    fputs(interruptedText, stderr);
    return interruptedExitCode;
}
