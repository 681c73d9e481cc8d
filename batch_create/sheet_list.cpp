#include "batch_create/sheet_list.h"

#include "batch_create/row_reader.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QtConcurrent>

SheetList::SheetList(const QLineEdit *pathEdit, QLabel *label, QWidget *parent)
    : QComboBox(parent)
    , pathEdit(pathEdit)
    , label(label)
{
    setObjectName(QStringLiteral("sheetBox"));
    setToolTip(QStringLiteral("读取的工作表"));
    hide();
    label->hide();
    connect(pathEdit, &QLineEdit::textChanged, this, &SheetList::reload);
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        chosenPath = listedPath;
        chosenSheet = currentText();
        emit sheetChanged();
    });
}

QString SheetList::sheet() const
{
    return isHidden() ? QString() : currentText();
}

void SheetList::prefer(const QString &path, const QString &sheet)
{
    chosenPath = path;
    chosenSheet = sheet;
}

SheetList::Names SheetList::readNames(const QString &path)
{
    const std::unique_ptr<RowReader> reader = openRowReader(path);
    return {reader->sheetNames(), reader->sheetName()};
}

void SheetList::reload()
{
    const QString path = pathEdit->text().trimmed();
    const int request = ++asked;
    // The names of another file never stay: a run would look for their sheet in this one.
    if (count() > 0 && path != listedPath)
        list(QString(), Names());
    if (!isWorkbookName(path) || !QFileInfo(path).isFile()) {
        answered = request;
        return;
    }
    auto *watcher = new QFutureWatcher<Names>(this);
    connect(watcher, &QFutureWatcher<Names>::finished, this, [this, watcher, request, path] {
        watcher->deleteLater();
        if (request != asked)
            return;
        answered = request;
        list(path, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&SheetList::readNames, path));
}

void SheetList::waitForNames()
{
    QEventLoop loop;
    connect(this, &SheetList::sheetChanged, &loop, &QEventLoop::quit);
    while (answered != asked)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void SheetList::list(const QString &path, const Names &names)
{
    {
        // Filling the list is no choice of the user's.
        const QSignalBlocker blocker(this);
        clear();
        addItems(names.names);
        const QString shown = path == chosenPath && names.names.contains(chosenSheet) ? chosenSheet : names.first;
        setCurrentIndex(qMax(0, names.names.indexOf(shown)));
    }
    listedPath = path;
    setVisible(count() > 0);
    label->setVisible(count() > 0);
    emit sheetChanged();
}
