#include "app/bottom_widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

BottomWidget::BottomWidget(QWidget *parent)
    : QFrame(parent)
{
    setFixedHeight(40);
    setObjectName(QStringLiteral("BottomWidget"));
    setMouseTracking(true);
    bottomLayout = new QHBoxLayout(this);

    cornerLabel = new QLabel(this);
    cornerLabel->setPixmap(QPixmap(QStringLiteral("://static/images/BottomPlay/BottomRight.png")));
    cornerLabel->setAttribute(Qt::WA_TranslucentBackground);

    infoLabel = new QLabel(QStringLiteral("Glyphora %1 · 二维码批量生成与批量解码").arg(QStringLiteral(GLYPHORA_VERSION)), this);
    infoLabel->setAlignment(Qt::AlignRight);
    bottomLayout->addWidget(infoLabel);
}

void BottomWidget::paintEvent(QPaintEvent *)
{
    // The grip follows the bar's corner; the style sheet paints the bar itself.
    cornerLabel->setGeometry(width() - 13, height() - 13, 10, 10);
}
