#include "batch_create/csv_create.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CsvCreate::CsvCreate(QWidget *parent)
    : QWidget(parent)
{
    headerFrame = new QFrame(this);
    headerFrame->setFixedHeight(56);
    headerFrame->setStyleSheet(QStringLiteral("QFrame{border-color:rgb(225,225,225);border-width: 0 0 1 0;border-style: solid}"));
    auto *title = new QLabel(QStringLiteral("批量生成二维码"), headerFrame);
    title->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:20px}"));
    title->setFixedWidth(150);
    auto *description = new QLabel(QStringLiteral("使用CSV文件进行批量生成二维码"), headerFrame);
    description->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:12px;color:#5c5c5c;margin-top:8px}"));
    auto *headerLayout = new QHBoxLayout(headerFrame);
    headerLayout->addWidget(title);
    headerLayout->addWidget(description);
    headerLayout->addStretch();
    headerLayout->setSpacing(0);

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(headerFrame);
    pageLayout->addStretch();
    pageLayout->setSpacing(0);
}
