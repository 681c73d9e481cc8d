#include "app/failure_table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSet>

FailureTable::FailureTable(const QString &itemHeading, QWidget *parent)
    : QTableWidget(0, 2, parent)
{
    setObjectName(QStringLiteral("failureTable"));
    setHorizontalHeaderLabels({itemHeading, QStringLiteral("原因")});
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setMinimumHeight(120);
    setMaximumHeight(220);
    auto *copy = new QAction(QStringLiteral("复制"), this);
    connect(copy, &QAction::triggered, this, [this] { QApplication::clipboard()->setText(copiedText()); });
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    hide();
}

void FailureTable::clearFailures()
{
    setRowCount(0);
    failures = 0;
    hide();
}

void FailureTable::addFailure(const QString &message)
{
    ++failures;
    if (rowCount() >= shownLimit)
        return;
    const int lineBreak = message.indexOf(QLatin1Char('\n'));
    const QString reason = lineBreak < 0 ? message : message.left(lineBreak);
    const QString item = lineBreak < 0 ? QString() : message.mid(lineBreak + 1);
    const int row = rowCount();
    insertRow(row);
    auto *itemCell = new QTableWidgetItem(item);
    // The whole name, however it is cut on screen.
    itemCell->setToolTip(item);
    setItem(row, 0, itemCell);
    setItem(row, 1, new QTableWidgetItem(reason));
}

void FailureTable::showFailures()
{
    if (failures > rowCount())
        setToolTip(QStringLiteral("共 %1 个失败，表中列出前 %2 个，其余见错误日志").arg(failures).arg(rowCount()));
    else
        setToolTip(QString());
    setVisible(failures > 0);
}

QString FailureTable::copiedText() const
{
    QSet<int> selected;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        selected.insert(index.row());
    QString text;
    for (int row = 0; row < rowCount(); ++row) {
        if (selected.isEmpty() || selected.contains(row))
            text += item(row, 0)->text() + QLatin1Char('\t') + item(row, 1)->text() + QLatin1Char('\n');
    }
    return text;
}

void FailureTable::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(copiedText());
        return;
    }
    QTableWidget::keyPressEvent(event);
}
