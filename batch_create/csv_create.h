#pragma once

#include <QWidget>

class QFrame;

// The batch generation page.
class CsvCreate : public QWidget
{
    Q_OBJECT

public:
    explicit CsvCreate(QWidget *parent = nullptr);

private:
    QFrame *headerFrame;
};
