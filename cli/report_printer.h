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

    // 0 once the run has reported success, 3 when that success names failed
    // items, 1 when no success came.
    int exitCode() const { return !succeeded ? 1 : failures ? 3 : 0; }

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
    bool failures = false;
};

// The text with every control character (U+0000 to U+001F, U+007F to U+009F)
// written as \xNN, so that names, paths and decoded texts cannot drive the terminal.
QString printableText(const QString &text);
