#pragma once

#include "batch_create/row_reader.h"

// What the readers of both workbook formats share: the file, its sheets, the one
// read, and how reading stands.
class WorkbookReader : public RowReader
{
public:
    bool rowCut() const override { return lastRowCut; }
    Status status() const override { return state; }
    QString problem() const override { return why; }
    QString emptyProblem() const override { return emptyWorkbookProblem(path); }
    QStringList sheetNames() const override { return names; }
    QString sheetName() const override { return chosenName; }

protected:
    explicit WorkbookReader(const QString &path) : path(path) {}
    // Reading ends for the reason given, reported with the file's path.
    void fail(const QString &reason)
    {
        state = Unreadable;
        why = workbookProblem(path, reason);
    }

    QString path;
    QStringList names;
    QString chosenName;
    Status state = Reading;
    QString why;
    bool lastRowCut = false;
};
