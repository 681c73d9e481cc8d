#include "batch_create/sheet_preview.h"

#include "batch_create/batch_composition.h"
#include "batch_create/csv_first_pass.h"
#include "batch_create/row_reader.h"
#include "batch_create/sheet_create.h"
#include "common/input_limits.h"
#include "render/prepared_code.h"

#include <QPainter>

QImage sheetPreview(const QString &csvPath, const QString &sheet, const SheetLayout &layout, const BatchStyle &style,
                    int widthPixels)
{
    if (!layout.fault().isEmpty() || widthPixels < 1)
        return QImage();
    const double unit = widthPixels / layout.page.width();
    QImage page(widthPixels, qMax(1, qRound(layout.page.height() * unit)), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(unit, unit);
    painter.setPen(QPen(QColor(200, 200, 200), 0));
    for (int place = 0; place < layout.labelsPerPage(); ++place)
        painter.drawRect(layout.cell(place));
    BatchComposition composition = style.compositionWith(BatchComposition());
    if (composition.animated() || !composition.load(style.recordFor(QStringLiteral("1"), QString())).isEmpty())
        return page;
    const std::unique_ptr<RowReader> reader = openRowReader(csvPath, sheet);
    QStringList row;
    reader->readRow(row);
    int placed = 0;
    int index = 0;
    while (placed < layout.labelsPerPage() && reader->readRow(row)) {
        ++index;
        const QString content = row.value(1);
        if (isBlankLine(row) || content.isEmpty() || reader->rowCut() || !contentLengthAllowed(content))
            continue;
        QrStyleRecord record = style.recordFor(row.first().isEmpty() ? QString::number(index) : row.first(), content);
        composition.applyTo(record);
        PreparedCode code;
        if (record.prepare(&code, QStringLiteral("pdf")))
            paintLabel(painter, code, layout.cell(placed++));
    }
    return page;
}
