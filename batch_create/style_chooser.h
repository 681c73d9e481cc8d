#pragma once

#include "style/batch_style.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class SheetList;

// The generation page's style: a "样式…" button that opens the style dialog and
// the chosen style's name. The choice is remembered for the next start; without
// one the page draws the batch preset.
class StyleChooser : public QWidget
{
    Q_OBJECT

public:
    // The dialog previews the first row of the file named in csvPathEdit, of the
    // sheet the list shows for a workbook (the first visible one without a list).
    StyleChooser(const QLineEdit *csvPathEdit, const SheetList *sheetList, QWidget *parent = nullptr);

    BatchStyle style() const { return chosen; }
    // Takes the style for the page's next runs and remembers it.
    void choose(const BatchStyle &style, const QString &name);

signals:
    // After choose(): what shows the style may draw it again.
    void styleChosen();

private:
    void openDialog();

    const QLineEdit *csvPathEdit;
    const SheetList *sheetList;
    BatchStyle chosen;
    QString chosenName;
    QLabel *nameLabel;
};
