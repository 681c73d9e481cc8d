#pragma once

#include <QObject>
#include <QString>

#include <cstdio>

// Prints worker reports as plain lines: results and progress on out, warnings and
// notices on err. "count" reports redraw a one-line progress bar when out is a
// terminal and print nothing otherwise.
class ReportPrinter : public QObject
{
    Q_OBJECT

public:
    // Prints to the console: standard output and standard error.
    ReportPrinter();
    ReportPrinter(FILE *out, FILE *err, bool terminal);

    // 0 once the run has reported success, 1 otherwise.
    int exitCode() const { return succeeded ? 0 : 1; }

public slots:
    void print(const QString &type, const QString &message);

private:
    void writeLine(FILE *stream, const QString &text);
    void drawProgress(const QString &count);

    FILE *out;
    FILE *err;
    bool terminal;
    bool progressShown = false;
    bool succeeded = false;
};
