#pragma once

#include <QFrame>
#include <QList>

class QButtonGroup;
class QLabel;
class QPushButton;

// The navigation list: one checkable button per work page, plus the web site button.
class MiddleWidgetLeftList : public QFrame
{
    Q_OBJECT

public:
    explicit MiddleWidgetLeftList(QWidget *parent = nullptr);

    // Navigation buttons in page order: a button's index is the page it selects.
    QList<QPushButton *> buttonList;

private:
    QLabel *commonLabel;
    QPushButton *batchCreateBtn;
    QPushButton *batchJieMaBtn;
    QLabel *mineLabel;
    QPushButton *siteBtn;
    QButtonGroup *buttonGroup;
};
