#pragma once

#include "tests/support/test_support.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Test suites of this executable, each run by main().
int runCsvReaderTests(int argc, char **argv);
int runBatchCreateTests(int argc, char **argv);
int runCsvCreateTests(int argc, char **argv);
int runCommandLineTests(int argc, char **argv);
int runComposeOptionsTests(int argc, char **argv);


// Runs a generation worker on this thread and returns its reports as
// "type|message", with the elapsed seconds of "runtime" replaced by "*".
QStringList runGeneration(const QString &csvPath, const QString &savePath, const QString &styleType = QStringLiteral("qrcustom"));

// The reports of one data row that is reached.
QStringList rowReports(const QString &firstField, int done, int total);
// The three reports that end a run.
QStringList endReports(const QString &success);

// The names of the pictures in a folder, sorted.
QStringList pictureNames(const QString &folder);
