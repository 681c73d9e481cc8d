#include "app/page_form.h"

#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

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
                   const QString &editName, const QString &chooserText, const QString &chooserName)
{
    QWidget *form = grid->parentWidget();
    PathRow path{new QLineEdit(form), new QToolButton(form)};
    path.edit->setObjectName(editName);
    path.edit->setPlaceholderText(placeholder);
    path.chooser->setObjectName(chooserName);
    path.chooser->setText(chooserText);
    grid->addWidget(new QLabel(caption, form), row, 0);
    grid->addWidget(path.edit, row, 1);
    grid->addWidget(path.chooser, row, 2);
    return path;
}

ReportView addReportRows(QGridLayout *grid, const QString &buttonName)
{
    QWidget *form = grid->parentWidget();
    ReportView view{new QPushButton(QStringLiteral("确定生成"), form), new QLabel(form), new QLabel(form),
                    new QLabel(form), new QProgressBar(form)};
    view.startButton->setObjectName(buttonName);
    view.startButton->setStyleSheet(QStringLiteral("width:150px"));
    view.resultLabel->setObjectName(QStringLiteral("resultLabel"));
    view.runtimeLabel->setObjectName(QStringLiteral("runtimeLabel"));
    view.progressLabel->setObjectName(QStringLiteral("progressLabel"));
    view.progressBar->setObjectName(QStringLiteral("progressBar"));
    view.progressBar->reset();
    // An empty bar says nothing before the first run.
    view.progressBar->hide();
    grid->addWidget(view.startButton, 2, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(view.resultLabel, 3, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(view.runtimeLabel, 4, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(view.progressLabel, 5, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(view.progressBar, 6, 0, 1, 3);
    return view;
}

void chooseFolderInto(QWidget *page, const QString &caption, QLineEdit *field)
{
    const QString path = QFileDialog::getExistingDirectory(page, caption, QString(),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!path.isEmpty())
        field->setText(path);
}
