#include "batch_create/color_button.h"

#include <QColorDialog>

ColorButton::ColorButton(const QString &pickerTitle, QWidget *parent)
    : QToolButton(parent)
    , pickerTitle(pickerTitle)
{
    setFixedWidth(90);
    connect(this, &QToolButton::clicked, this, &ColorButton::pick);
}

void ColorButton::setColor(const QColor &color)
{
    current = color;
    setText(color.name());
    // Dark swatches get white lettering so the name stays readable.
    const QString ink = color.lightness() < 128 ? QStringLiteral("#ffffff") : QStringLiteral("#000000");
    setStyleSheet(QStringLiteral("QToolButton{background:%1;color:%2;border:1px solid #ced4da;}").arg(color.name(), ink));
}

void ColorButton::pick()
{
    const QColor picked = QColorDialog::getColor(current, this, pickerTitle);
    if (!picked.isValid() || picked.rgb() == current.rgb())
        return;
    setColor(picked);
    emit colorChanged();
}
