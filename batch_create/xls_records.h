#pragma once

#include "batch_create/cell_text.h"

#include <QHash>
#include <QString>
#include <QVector>

struct _GsfInfile;
struct _GsfInput;

// What FreeXL leaves out of a workbook of the binary format (BIFF8, Excel 97 and
// later), read from the records of its workbook stream: which sheets are hidden,
// and the text of the cells that FreeXL gives otherwise than the user sees them:
// formulas (FreeXL gives them empty), booleans and errors, and numbers whose format
// changes their text (zero padding, dates). These are read as the .xlsx reader
// reads them, so that both kinds of workbook give the same rows.
class XlsRecords
{
public:
    struct Sheet
    {
        QString name;
        bool visible = true;
        // False for chart sheets, macro sheets and modules, which hold no cells to read.
        bool worksheet = true;
        quint32 offset = 0;
    };

    // Reads the sheet list, the date system and the number formats, and checks that
    // FreeXL can be given the file: its sheets keep to the sizes the format allows.
    explicit XlsRecords(const QString &path);
    ~XlsRecords();
    XlsRecords(const XlsRecords &) = delete;
    XlsRecords &operator=(const XlsRecords &) = delete;

    // Why the workbook cannot be read; empty when it can.
    QString problem() const { return why; }
    // False for a workbook of a format older than BIFF8, whose cells and sheets are not read here.
    bool isBiff8() const { return biff8; }
    const QVector<Sheet> &sheets() const { return sheetList; }
    // Reads the cells of sheets()[index] whose text is given here; the reason it cannot, or empty.
    QString readCells(int index);
    // The text of the cell at row and column (from 0) of the sheet read, or null where FreeXL's
    // stands; empty for a cell of a merged area other than its top-left one.
    const QString *cellText(int row, int column) const;

private:
    bool nextRecord(quint16 &type, QByteArray &data);
    QString readGlobals();
    QString checkSheetSizes();
    QString readStringResult(const QByteArray &first, QString &text);
    QString keep(quint16 row, quint16 column, const QString &text);
    // A formula's number is always kept: FreeXL gives formulas empty.
    QString keepNumber(quint16 row, quint16 column, quint16 xf, double value, bool formula = false);

    _GsfInfile *container = nullptr;
    _GsfInput *stream = nullptr;
    bool biff8 = false;
    bool date1904 = false;
    QString why;
    QVector<Sheet> sheetList;
    // The format of each cell style, and whether its numbers are read here.
    struct Style
    {
        CellFormat format;
        bool readHere = false;
    };
    QVector<Style> styles;
    QHash<quint32, QString> cells;
    qint64 cellChars = 0;
    // The merged areas of the sheet read, for each column they cover, by first row:
    // only an area's top-left cell gives its value.
    struct MergedRows
    {
        int first;
        int last;
        int left;
    };
    QVector<QVector<MergedRows>> merged;
    qint64 mergedCells = 0;
    QString readMerges(const QByteArray &data);
};
