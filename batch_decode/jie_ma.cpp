#include "batch_decode/jie_ma.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

JieMa::JieMa(QWidget *parent)
    : QWidget(parent)
{
    headerFrame = new QFrame(this);
    headerFrame->setFixedHeight(56);
    headerFrame->setStyleSheet(QStringLiteral("QFrame{border-color:rgb(225,225,225);border-width: 0 0 1 0;border-style: solid}"));
    auto *title = new QLabel(QStringLiteral("批量二维码解码器"), headerFrame);
    title->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:20px}"));
    title->setFixedWidth(170);
    auto *subtitle = new QLabel(QStringLiteral("选择一个文件夹进行批量二维码解码"), headerFrame);
    subtitle->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:12px;color:#5c5c5c;margin-top:8px}"));
    auto *headerLayout = new QHBoxLayout(headerFrame);
    headerLayout->addWidget(title);
    headerLayout->addWidget(subtitle);
    headerLayout->addStretch(0);
    headerLayout->setSpacing(0);

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(headerFrame);
    pageLayout->addStretch(0);
    pageLayout->setSpacing(0);
}
