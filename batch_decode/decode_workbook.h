#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// The workbook a decoding run writes beside its CSV files: one sheet per folder,
// file names and contents as text cells. Sheets are written one after the other,
// each row by row, so rows go to the sheet's temporary file as they come (the
// library's constant-memory mode) and memory does not grow with the run.
// The file is made nameless inside the save folder and takes its name only in
// save(): it is then complete, or absent.
class DecodeWorkbook
{
public:
    DecodeWorkbook() = default;
    ~DecodeWorkbook();
    DecodeWorkbook(const DecodeWorkbook &) = delete;
    DecodeWorkbook &operator=(const DecodeWorkbook &) = delete;

    // Sheet names as spreadsheets take them, one per folder name, in order: at
    // most 31 characters, none of []:*?/\ , no apostrophe at either end, and no two
    // alike when letter case is ignored. An empty name becomes "Sheet".
    static QStringList sheetNames(const QStringList &folderNames);

    // False when no file can be made in the folder that is to hold path.
    bool open(const QString &path);
    // Starts a sheet with its heading row; the sheet before it is then finished.
    bool addSheet(const QString &name);
    bool addRow(const QString &fileName, const QString &content);
    // Writes the workbook and gives it its name through the guarded path.
    bool save();

    // What the user is told when the workbook cannot be written.
    static QString writeFailureText(const QString &path);

private:
    bool writeCell(int column, const QString &text);
    void fitColumns();

    QString path;
    int fd = -1;
    lxw_workbook *workbook = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_format *textFormat = nullptr;
    unsigned row = 0;
    int widths[2] = {0, 0};
};
