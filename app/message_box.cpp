#include "app/message_box.h"

#include <QMessageBox>
#include <QPushButton>

void showMessageBox(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), text, QMessageBox::NoButton);
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确 定"));
    box.exec();
}
