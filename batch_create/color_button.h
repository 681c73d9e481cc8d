#pragma once

#include <QColor>
#include <QToolButton>

// A swatch of a colour; clicking it opens the colour picker.
class ColorButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ColorButton(const QString &pickerTitle, QWidget *parent = nullptr);

    QColor color() const { return current; }
    // Shows the colour; emits nothing.
    void setColor(const QColor &color);

signals:
    // The user picked another colour.
    void colorChanged();

private:
    void pick();

    QString pickerTitle;
    QColor current;
};
