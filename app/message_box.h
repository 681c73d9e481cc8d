#pragma once

#include <QString>

class QWidget;

// Modal warning box with a single "确 定" button; user-interface thread only.
void showMessageBox(const QString &text);

// Modal question over the window with "确 定" and "取 消"; true when the user confirms.
bool askToConfirm(QWidget *window, const QString &text);
