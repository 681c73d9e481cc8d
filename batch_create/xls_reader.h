#pragma once

#include "batch_create/workbook_reader.h"

#include <memory>

class XlsRecords;

// Reads the rows of a workbook in the older binary format (.xls) through FreeXL,
// which holds the whole file, as small as the format keeps it (65,536 rows at
// most); what FreeXL leaves out (formula results, formatted numbers, hidden sheets)
// is read from the records themselves, so that cells read as in an .xlsx workbook.
// The first visible sheet is read, or the one named. An encrypted workbook, also
// one of the newer format that a password wraps in the same container, is refused
// with that reason.
class XlsReader : public WorkbookReader
{
public:
    XlsReader(const QString &path, const QString &sheet);
    ~XlsReader() override;

    bool readRow(QStringList &row) override;
    void rewind() override { nextRow = 0; state = why.isEmpty() ? Reading : Unreadable; }

private:
    QString open(const QString &sheet);

    const void *handle = nullptr;
    std::unique_ptr<XlsRecords> records;
    unsigned int rowCount = 0;
    unsigned short columnCount = 0;
    unsigned int nextRow = 0;
};

// True when the file holds a password-protected workbook of the newer format,
// which is stored in the container of the older one.
bool isEncryptedWorkbook(const QString &path);
