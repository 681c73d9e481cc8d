#pragma once

#include <QFrame>

class QHBoxLayout;
class QLabel;

// The grey band at the bottom of the window with the corner resize grip.
class BottomWidget : public QFrame
{
    Q_OBJECT

public:
    explicit BottomWidget(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QHBoxLayout *bottomLayout;
    QLabel *infoLabel;
    QLabel *cornerLabel;
};
