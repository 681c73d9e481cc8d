#include "batch_create/sheet_layout.h"

#include "render/print_size.h"

#include <QMap>

namespace {

// Labels cut by a printer's rounding still count as fitting.
constexpr double slack = 0.01;

SheetLayout grid(QSizeF page, int columns, int rows, QSizeF label, QSizeF gap = QSizeF(0, 0))
{
    SheetLayout layout;
    layout.page = page;
    layout.columns = columns;
    layout.rows = rows;
    layout.label = label;
    layout.gap = gap;
    return layout;
}

const QSizeF a4(210, 297);

} // namespace

QRectF SheetLayout::cell(int place) const
{
    QSizeF size = label;
    if (size.isEmpty()) {
        const QPointF edges(margin.x() < 0 ? 0 : margin.x(), margin.y() < 0 ? 0 : margin.y());
        size = QSizeF((page.width() - 2 * edges.y() - (columns - 1) * gap.width()) / columns,
                      (page.height() - 2 * edges.x() - (rows - 1) * gap.height()) / rows);
    }
    const QSizeF block(columns * size.width() + (columns - 1) * gap.width(),
                       rows * size.height() + (rows - 1) * gap.height());
    const double top = margin.x() >= 0 ? margin.x() : (page.height() - block.height()) / 2;
    const double left = margin.y() >= 0 ? margin.y() : (page.width() - block.width()) / 2;
    const int column = place % columns;
    const int row = place / columns;
    return QRectF(left + column * (size.width() + gap.width()), top + row * (size.height() + gap.height()),
                  size.width(), size.height());
}

QString SheetLayout::fault() const
{
    if (columns < 1 || rows < 1 || columns > 100 || rows > 100)
        return QStringLiteral("标签行列数应为 1 到 100 之间的整数，如 --grid 3x8");
    const QRectF first = cell(0);
    const QRectF last = cell(labelsPerPage() - 1);
    if (first.width() < 5 || first.height() < 5)
        return QStringLiteral("标签太小（%1×%2 毫米），至少要 5×5 毫米").arg(first.width(), 0, 'f', 1).arg(first.height(), 0, 'f', 1);
    if (first.left() < -slack || first.top() < -slack || last.right() > page.width() + slack
        || last.bottom() > page.height() + slack)
        return QStringLiteral("标签排不下：%1×%2 个标签连同间距和页边距超出了 %3×%4 毫米的页面")
            .arg(columns).arg(rows).arg(page.width()).arg(page.height());
    return QString();
}

const QVector<NamedSheet> &namedSheets()
{
    static const QVector<NamedSheet> sheets = {
        {QStringLiteral("A4-3x8"), QStringLiteral("A4 纸 3×8 = 24 个标签，每个 70×37 毫米"), grid(a4, 3, 8, {70, 37})},
        {QStringLiteral("A4-4x10"), QStringLiteral("A4 纸 4×10 = 40 个标签，每个 48.5×25.4 毫米"), grid(a4, 4, 10, {48.5, 25.4})},
        {QStringLiteral("A4-5x13"), QStringLiteral("A4 纸 5×13 = 65 个标签，每个 38.1×21.2 毫米，列间距 2.5 毫米"),
         grid(a4, 5, 13, {38.1, 21.2}, {2.5, 0})},
        {QStringLiteral("thermal-40x30"), QStringLiteral("热敏标签打印机，每页一个 40×30 毫米标签"), grid({40, 30}, 1, 1, {40, 30})},
        {QStringLiteral("thermal-50x30"), QStringLiteral("热敏标签打印机，每页一个 50×30 毫米标签"), grid({50, 30}, 1, 1, {50, 30})},
        {QStringLiteral("thermal-60x40"), QStringLiteral("热敏标签打印机，每页一个 60×40 毫米标签"), grid({60, 40}, 1, 1, {60, 40})},
    };
    return sheets;
}

bool readPageSize(const QString &text, QSizeF *page)
{
    static const QMap<QString, QSizeF> named{
        {QStringLiteral("a4"), a4}, {QStringLiteral("a5"), QSizeF(148, 210)}, {QStringLiteral("letter"), QSizeF(215.9, 279.4)}};
    const QString key = text.trimmed().toLower();
    if (named.contains(key)) {
        *page = named.value(key);
        return true;
    }
    double width = 0;
    double height = 0;
    if (!readLengthPair(key, QLatin1Char('x'), false, &width, &height))
        return false;
    *page = QSizeF(width, height);
    return true;
}
