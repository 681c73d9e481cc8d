#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// The rows of a generation input, one after another, whatever kind of file holds
// them: the generation worker reads a CSV file and a workbook alike.
class RowReader
{
public:
    enum Status { Reading, Finished, Unreadable, NotText };

    virtual ~RowReader() = default;

    // The next row, which holds at least one field; false once the rows are over or
    // the file cannot be read on (status() tells which).
    virtual bool readRow(QStringList &row) = 0;
    // True when the row last read was longer than maxCsvRowChars and was cut short.
    virtual bool rowCut() const = 0;
    virtual Status status() const = 0;
    // True once the pass has met a character; false for an empty file (a CSV's
    // byte-order mark alone counts as none). A workbook without rows has none.
    virtual bool sawText() const { return false; }
    // The names of a workbook's sheets, in order; none for a CSV file.
    virtual QStringList sheetNames() const { return {}; }
    // The name of the sheet read: the one asked for, else the first visible one; none for a CSV file.
    virtual QString sheetName() const { return {}; }
    // The report for a file without a row.
    virtual QString emptyProblem() const = 0;
    // Back before the first row, for another pass over the file.
    virtual void rewind() = 0;
    // Why the file cannot be read, as a report for the user; only asked once the
    // status is neither Reading nor Finished.
    virtual QString problem() const = 0;
};

// The reader for the file at path, chosen by its name: a workbook (.xlsx, .xls and
// their kin) by its contents, anything else as CSV. sheet names the workbook's
// sheet to read; empty for its first visible one.
std::unique_ptr<RowReader> openRowReader(const QString &path, const QString &sheet = QString());

// The report for a workbook whose sheet holds no row.
QString emptyWorkbookProblem(const QString &path);

// Why a sheet asked for by name is not read: the workbook's sheets are listed.
QString unknownSheetReason(const QString &sheet, const QStringList &names);

// True for a file name that openRowReader reads as a workbook.
bool isWorkbookName(const QString &path);

// The report for a workbook that cannot be read, and the reason why.
QString workbookProblem(const QString &path, const QString &reason);
