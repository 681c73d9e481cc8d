#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdio>

// Prints worker reports as plain lines: results and progress on out, warnings and
// notices on err. "count" reports redraw a one-line progress bar when out is a
// terminal and print nothing otherwise. Each failed item gets a line with its reason.
//
// In JSON mode, out gets one JSON object a line instead: one for each item, then
// one summary when the run ends (see finish). Warnings and notices still go to err.
class ReportPrinter : public QObject
{
    Q_OBJECT

public:
    // Prints to the console: standard output and standard error.
    ReportPrinter();
    ReportPrinter(FILE *out, FILE *err, bool terminal);

    // JSON lines instead of text; itemKey names the item's field: "name" or "picture".
    void setJson(const QString &itemKey);
    // The end of the run: in JSON mode, writes the summary object.
    void finish(int exitCode, bool interrupted);

    // 0 once the run has reported success, 3 when that success names failed
    // items, 1 when no success came.
    int exitCode() const { return !succeeded ? 1 : failures ? 3 : 0; }

public slots:
    void print(const QString &type, const QString &message);

private:
    void writeLine(FILE *stream, const QString &text);
    void drawProgress(const QString &count);
    void writeItem(const QString &item, const QString &output, const QString &reason);

    FILE *out;
    FILE *err;
    bool terminal;
    bool progressShown = false;
    bool succeeded = false;
    bool failures = false;
    QString itemKey; // empty in text mode
    QString ending;  // the report that ended the run, for the JSON summary
    QString endingText;
    int succeededItems = 0;
    int failedItems = 0;
    QElapsedTimer runTimer;
    qint64 lastItemAt = 0;
};

// The text with every control character (U+0000 to U+001F, U+007F to U+009F)
// written as \xNN, so that names, paths and decoded texts cannot drive the terminal.
QString printableText(const QString &text);
