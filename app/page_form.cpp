#include "app/page_form.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>

QFrame *buildPageHeader(QWidget *page, const QString &title, int titleWidth, const QString &description)
{
    auto *header = new QFrame(page);
    header->setFixedHeight(56);
    header->setStyleSheet(QStringLiteral("QFrame{border-color:rgb(225,225,225);border-width: 0 0 1 0;border-style: solid}"));
    auto *titleLabel = new QLabel(title, header);
    titleLabel->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:20px}"));
    titleLabel->setFixedWidth(titleWidth);
    auto *descriptionLabel = new QLabel(description, header);
    descriptionLabel->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:12px;color:#5c5c5c;margin-top:8px}"));
    auto *layout = new QHBoxLayout(header);
    layout->addWidget(titleLabel);
    layout->addWidget(descriptionLabel);
    layout->addStretch();
    layout->setSpacing(0);
    return header;
}

QGridLayout *buildFormGrid(QFrame *form)
{
    auto *grid = new QGridLayout(form);
    grid->setSpacing(10);
    grid->setRowStretch(20, 20);
    return grid;
}

PathRow addPathRow(QGridLayout *grid, int row, const QString &caption, const QString &placeholder,
                   const QString &editName, const QString &chooserText, const QString &chooserName,
                   const QString &hint)
{
    QWidget *form = grid->parentWidget();
    auto *captionLabel = new QLabel(caption, form);
    QWidget *cell = hint.isEmpty() ? form : new QWidget(form);
    PathRow path{new QLineEdit(cell), new QToolButton(form)};
    path.edit->setObjectName(editName);
    path.edit->setPlaceholderText(placeholder);
    path.chooser->setObjectName(chooserName);
    path.chooser->setText(chooserText);
    grid->addWidget(captionLabel, row, 0);
    if (hint.isEmpty()) {
        grid->addWidget(path.edit, row, 1);
    } else {
        auto *column = new QVBoxLayout(cell);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(2);
        column->addWidget(path.edit);
        auto *hintLabel = new QLabel(hint, cell);
        hintLabel->setObjectName(QStringLiteral("fieldHint"));
        hintLabel->setStyleSheet(QStringLiteral("QLabel{color:#5c5c5c;font-size:12px}"));
        column->addWidget(hintLabel);
        grid->addWidget(cell, row, 1);
    }
    grid->addWidget(path.chooser, row, 2);
    return path;
}

void startOnEnter(QLineEdit *field, QPushButton *startButton)
{
    QObject::connect(field, &QLineEdit::returnPressed, startButton, [startButton] {
        if (startButton->isEnabled())
            startButton->click();
    });
}

QString trimmedPath(QLineEdit *field)
{
    const QString path = field->text().trimmed();
    if (path != field->text())
        field->setText(path);
    return path;
}

namespace {

const QString chooserFolderKey = QStringLiteral("paths/lastChosenFolder");

// A file or folder in the field is selected in the chooser; for a path that does not
// exist yet, the chooser opens at its parent folder.
QString chooserStart(QLineEdit *field)
{
    const QString text = field->text().trimmed();
    const QFileInfo current(text);
    if (!text.isEmpty() && current.exists())
        return current.absoluteFilePath();
    if (!text.isEmpty() && current.absoluteDir().exists())
        return current.absolutePath();
    return QSettings().value(chooserFolderKey).toString();
}

void takeChosen(const QString &path, const QString &folder, QLineEdit *field)
{
    if (path.isEmpty())
        return;
    field->setText(path);
    QSettings().setValue(chooserFolderKey, folder);
}

} // namespace

void chooseFolderInto(QWidget *page, const QString &caption, QLineEdit *field)
{
    const QString path = QFileDialog::getExistingDirectory(page, caption, chooserStart(field),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    takeChosen(path, path, field);
}

void chooseFileInto(QWidget *page, const QString &caption, const QString &filter, QLineEdit *field)
{
    const QString path = QFileDialog::getOpenFileName(page, caption, chooserStart(field), filter);
    takeChosen(path, QFileInfo(path).absolutePath(), field);
}
