#pragma once

#include <QString>

// Modal warning box with a single "确 定" button; user-interface thread only.
void showMessageBox(const QString &text);

// Modal question with "确 定" and "取 消"; true when the user confirms.
bool askToConfirm(const QString &text);
