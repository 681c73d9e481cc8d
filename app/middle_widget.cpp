#include "app/middle_widget.h"

#include "app/middle_widget_left_list.h"
#include "app/middle_widget_right_stack.h"
#include "app/report_view.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

MiddleWidget::MiddleWidget(QWidget *parent)
    : QWidget(parent)
{
    hLayout = new QHBoxLayout(this);
    vLayout = new QVBoxLayout;

    leftList = new MiddleWidgetLeftList(this);
    vLayout->addWidget(leftList);
    vLayout->setSpacing(0);

    rightStack = new MiddleWidgetRightStack(this);
    for (int i = 0; i < leftList->buttonList.size(); ++i)
        connect(leftList->buttonList.at(i), &QPushButton::clicked, rightStack, [this, i] { rightStack->setCurrentIndex(i); });

    // The navigation marks the page whose run is going.
    for (int i = 0; i < leftList->buttonList.size(); ++i) {
        QPushButton *button = leftList->buttonList.at(i);
        const QString text = button->text();
        if (auto *view = rightStack->widget(i)->findChild<ReportView *>()) {
            connect(view, &ReportView::runStarted, button, [button, text] { button->setText(text + QStringLiteral(" · 运行中")); });
            connect(view, &ReportView::runEnded, button, [button, text] { button->setText(text); });
        }
    }

    hLayout->addLayout(vLayout);
    hLayout->addWidget(rightStack);
    hLayout->setContentsMargins(0, 0, 0, 0);
    hLayout->setSpacing(0);
}

void MiddleWidget::slot_ackDir()
{
}
