#pragma once

#include <QString>

class QWidget;

// Modal warning box with a single "确 定" button, centred on the program's window;
// its text can be selected and copied. User-interface thread only.
void showMessageBox(const QString &text);

// The same for a message about a path, which goes on a line of its own.
void showPathMessage(const QString &text, const QString &path);

// Modal question over the window with "确 定" and "取 消"; true when the user confirms.
bool askToConfirm(QWidget *window, const QString &text);
