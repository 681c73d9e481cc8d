#pragma once

#include "batch_create/batch_composition.h"
#include "batch_create/sheet_layout.h"
#include "common/batch_worker.h"
#include "style/style_presets.h"

#include <QString>

class QPainter;

// The label-sheet worker: one PDF file of labels, one a data row of a CSV file (or
// of a workbook's sheet) in its order, each the styled code with its caption, and an error log of the rows
// that gave none beside it. The PDF is complete or absent, a stopped run leaving
// none. Created without parent for one run; deletes itself when the run ends.
class SheetCreate : public BatchWorker
{
    Q_OBJECT

public:
    void setLayout(const SheetLayout &layout);
    void setStyle(const BatchStyle &style);
    void setComposition(const BatchComposition &composition);
    // The sheet read from a workbook; the first visible one when never set.
    void setSheet(const QString &sheet);

public slots:
    // Sends every report of the run, then deletes itself; mode is unused.
    void batchStart(QString csvPath, QString pdfPath, QString mode);

private:
    void run(const QString &csvPath, const QString &pdfPath);

    SheetLayout layout;
    BatchStyle style = batchPreset();
    BatchComposition composition;
    QString sheet;
};

// Draws the row's prepared code into the label at cell (millimetres on a painter
// whose units are millimetres): as large as fits inside a millimetre of edge, the
// code's own square centred on the cell's centre, a background round it or not.
struct PreparedCode;
void paintLabel(QPainter &painter, const PreparedCode &code, const QRectF &cell);
