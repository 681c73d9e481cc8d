#include "batch_create/heading_check.h"

#include "batch_create/row_reader.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

enum class Shape { Other, Address, Number };

Shape shapeOf(const QString &text)
{
    static const QRegularExpression address(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://\\S+$"));
    static const QRegularExpression number(QStringLiteral("^[0-9][0-9 .-]*$"));
    const QString trimmed = text.trimmed();
    if (address.match(trimmed).hasMatch())
        return Shape::Address;
    return number.match(trimmed).hasMatch() ? Shape::Number : Shape::Other;
}

} // namespace

bool headingLooksLikeData(const QString &csvPath, const QString &sheet)
{
    const std::unique_ptr<RowReader> reader = openRowReader(csvPath, sheet);
    QStringList heading;
    QStringList row;
    if (!reader->readRow(heading))
        return false;
    // The first data row, blank lines passed over.
    while (reader->readRow(row)) {
        if (row.size() > 1 || !row.first().isEmpty())
            break;
        row.clear();
    }
    const Shape shape = shapeOf(heading.value(1));
    return shape != Shape::Other && shape == shapeOf(row.value(1));
}

QString headingLikeDataText(const QString &csvPath)
{
    return QStringLiteral("%1的第一行看起来是数据，但它作为标题，不会生成图片")
        .arg(isWorkbookName(csvPath) ? QStringLiteral("工作表") : QStringLiteral("CSV文件"));
}
