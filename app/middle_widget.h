#pragma once

#include <QWidget>

class MiddleWidgetLeftList;
class MiddleWidgetRightStack;
class QHBoxLayout;
class QVBoxLayout;

// The centre band: navigation list on the left, page stack on the right.
class MiddleWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MiddleWidget(QWidget *parent = nullptr);

private slots:
    void slot_ackDir();

private:
    QHBoxLayout *hLayout;
    QVBoxLayout *vLayout;
    MiddleWidgetLeftList *leftList;
    MiddleWidgetRightStack *rightStack;
};
