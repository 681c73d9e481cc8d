#pragma once

#include <QObject>
#include <QString>

// What the batch workers share: their reports, and the rule that a report ending a
// run early ("warning" or "stopped") is sent only once the run has cleaned up after
// itself, so that what it says is what stays on disk.
class BatchWorker : public QObject
{
    Q_OBJECT

signals:
    void returnResult(QString type, QString message);

protected:
    // Sends the report, or holds it back when it ends the run early.
    void report(const char *type, const QString &message);
    // One failed item: the kind "failed", the reason (short, Chinese, one line) and
    // the item as it is, after the first line break.
    void reportFailure(const QString &reason, const QString &item) { report("failed", reason + QLatin1Char('\n') + item); }
    // One item done: the kind "succeeded", the file written, and the item after the
    // first line break.
    void reportSuccess(const QString &output, const QString &item) { report("succeeded", output + QLatin1Char('\n') + item); }
    // The end of a run: sends the report held back, if any, and deletes the worker.
    void finishRun();

private:
    QString endingType;
    QString endingMessage;
};
