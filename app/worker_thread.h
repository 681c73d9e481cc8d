#pragma once

class QObject;
class QThread;

// Moves a parentless worker onto a new thread that quits once the worker has
// deleted itself and then deletes itself (and the worker, if its run never
// began). The caller connects its signals and starts the thread.
QThread *moveToWorkerThread(QObject *worker);

// Asks the worker on the thread to stop after its current item and waits until
// the thread has ended. Safe with a null or already finished thread.
void stopWorkerThread(QThread *thread);
