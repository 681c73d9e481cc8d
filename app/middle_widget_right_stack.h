#pragma once

#include <QStackedWidget>

class CsvCreate;
class JieMa;

// The work pages, in navigation order.
class MiddleWidgetRightStack : public QStackedWidget
{
    Q_OBJECT

public:
    explicit MiddleWidgetRightStack(QWidget *parent = nullptr);

public slots:
    void slot_widget4MatchSong();

private:
    CsvCreate *csvCreatePage;
    JieMa *jieMaPage;
};
