#include "app/bottom_widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QIcon>

BottomWidget::BottomWidget(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("BottomWidget"));
    setMouseTracking(true);
    bottomLayout = new QHBoxLayout(this);
    // The text is centred in the band, which grows past 40 pixels only for a large font.
    bottomLayout->setContentsMargins(bottomLayout->contentsMargins().left(), 0, bottomLayout->contentsMargins().right(), 0);

    cornerLabel = new QLabel(this);
    // Through an icon, which takes the @2x picture on scaled screens.
    cornerLabel->setPixmap(QIcon(QStringLiteral("://static/images/BottomPlay/BottomRight.png")).pixmap(8, 8));
    cornerLabel->setAttribute(Qt::WA_TranslucentBackground);

    infoLabel = new QLabel(QStringLiteral("Glyphora %1 · 二维码批量生成与批量解码").arg(QStringLiteral(GLYPHORA_VERSION)), this);
    infoLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bottomLayout->addWidget(infoLabel);
    setFixedHeight(qMax(40, infoLabel->sizeHint().height() + 12));
}

void BottomWidget::paintEvent(QPaintEvent *)
{
    // The grip follows the bar's corner; the style sheet paints the bar itself.
    cornerLabel->setGeometry(width() - 13, height() - 13, 10, 10);
}
