#pragma once

#include <QWidget>

class QFrame;

// The batch decoding page.
class JieMa : public QWidget
{
    Q_OBJECT

public:
    explicit JieMa(QWidget *parent = nullptr);

private:
    QFrame *headerFrame;
};
