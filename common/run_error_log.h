#pragma once

#include "common/guarded_line_file.h"

// The error log of a run, appended to one failure a line. A log this run made and
// wrote no failure into goes again when the object goes, whichever way the run ends.
class RunErrorLog
{
public:
    RunErrorLog() = default;
    ~RunErrorLog();
    RunErrorLog(const RunErrorLog &) = delete;
    RunErrorLog &operator=(const RunErrorLog &) = delete;

    // Appends to the log at path, creating it when missing; false when it cannot.
    bool open(const QString &path) { return file.append(path); }
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
    // The log goes, lines of earlier runs with it: for a run without failures.
    void remove() { file.remove(); }

private:
    GuardedLineFile file;
    int count = 0;
};
