#include "tests/batch_create/test_helpers.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += runCsvReaderTests(argc, argv);
    failures += runBatchCreateTests(argc, argv);
    failures += runCsvCreateTests(argc, argv);
    failures += runCommandLineTests(argc, argv);
    failures += runComposeOptionsTests(argc, argv);
    return failures;
}
