#pragma once

#include "common/guarded_line_file.h"

// The error log of a run, appended to one failure a line. A log this run made and
// wrote no failure into goes again when the object goes, whichever way the run ends,
// unless another run wrote into it or holds it meanwhile.
class RunErrorLog
{
public:
    RunErrorLog() = default;
    ~RunErrorLog();
    RunErrorLog(const RunErrorLog &) = delete;
    RunErrorLog &operator=(const RunErrorLog &) = delete;

    // Appends to the log at path, creating it when missing; false when it cannot.
    bool open(const QString &path) { return file.append(path); }
    // Why open(path) failed, for the user.
    static QString openFailureText(const QString &path);
    // True when this run made the log.
    bool created() const { return file.created(); }
    // A line that records no failure, such as a heading.
    bool writeLine(const QByteArray &line) { return file.write(line); }
    // The failure counts once its line is written.
    bool writeFailure(const QByteArray &line);
    int failures() const { return count; }
    // False when a failure of this run may be lost: a write or the close failed,
    // or the log went meanwhile while holding this run's lines.
    bool close();
    // For a run without failures: the log goes if this run made it and it holds
    // nothing but this run's lines. A log of earlier runs stays as it was.
    void remove();

private:
    GuardedLineFile file;
    int count = 0;
};
