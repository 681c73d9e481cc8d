#pragma once

#include "batch_create/cell_text.h"
#include "batch_create/workbook_reader.h"

#include <QQueue>
#include <QRect>
#include <QVector>

#include <map>
#include <memory>

class ZipPart;
struct zip;

// Reads the rows of one sheet of an Office Open XML workbook (.xlsx, as Excel and
// WPS save it) one after another: the sheet is read from the archive as it is
// unpacked, so that memory stays flat with the number of rows. Only the shared
// strings, the number formats and the merged areas are held. Cells give their text
// as the user sees it: formulas their cached value, merged areas their value in the
// top-left cell only; rows without any value are blank lines.
class XlsxReader : public WorkbookReader
{
public:
    // sheet names the sheet to read; empty for the first visible one.
    XlsxReader(const QString &path, const QString &sheet);
    ~XlsxReader() override;

    bool readRow(QStringList &row) override;
    void rewind() override;

private:
    struct Row
    {
        QStringList fields;
        bool cut = false;
        // Rows without any cell stored before this one.
        int blanksBefore = 0;
    };
    // Where the reading of a sheet stands between two rows.
    struct SheetState
    {
        int lastRow = 0;
        Row row;
        qint64 rowChars = 0;
        int column = 0;
        QString type;
        int style = 0;
        QString value;
        bool inValue = false;
        bool inText = false;
        int phoneticDepth = 0;
        // The merged areas over the row by their left column, and when each ends:
        // a sheet may have thousands side by side.
        std::map<int, QRect> activeMerges;
        std::multimap<int, int> mergeEnds;
        int nextMerge = 0;
    };

    QString open(const QString &sheet);
    QString readRelationships(const QString &partName, QHash<QString, QString> &targets, QHash<QString, QString> &byType);
    QString readSharedStrings(const QString &partName);
    QString readStyles(const QString &partName);
    QString readMerges();
    bool parseUntilRow();
    void startRow(int number);
    void endCell();
    void endRow();
    // Also lets the sheet go.
    void fail(const QString &reason);

    zip *archive = nullptr;
    QString sheetPart;
    std::unique_ptr<ZipPart> sheetXml;
    // The shared strings as UTF-8, one after another, and where each ends: a
    // workbook of many rows holds a string or two for each, and a QString apiece
    // would take several times their size.
    QByteArray sharedText;
    QVector<int> sharedEnds;
    QVector<CellFormat> styles;
    QVector<QRect> merges;
    bool date1904 = false;
    SheetState parse;
    bool sheetDone = false;
    QQueue<Row> rows;
};
