#include "app/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// A message box sizes itself and ignores a minimum width of its own; a spacer
// across its grid gives it the 300 pixels the style sheet asks for.
int execAtLeast300Wide(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    grid->addItem(new QSpacerItem(300, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
    return box.exec();
}

// The window the box belongs to: the active one, else the program's main window.
QWidget *boxParent()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && !top->parentWidget() && !qobject_cast<QMessageBox *>(top))
            return top;
    }
    return nullptr;
}

} // namespace

void showMessageBox(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), text, QMessageBox::NoButton, boxParent());
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确 定"));
    execAtLeast300Wide(box);
}

void showPathMessage(const QString &text, const QString &path)
{
    showMessageBox(QStringLiteral("<span>") + text.toHtmlEscaped() + QStringLiteral("<br>") + path.toHtmlEscaped()
                   + QStringLiteral("</span>"));
}

bool askToConfirm(QWidget *window, const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("提示"), text, QMessageBox::NoButton, window);
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确 定"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取 消"));
    box.setDefaultButton(QMessageBox::Cancel);
    return execAtLeast300Wide(box) == QMessageBox::Ok;
}
