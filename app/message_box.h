#pragma once

#include <QString>

// Modal warning box with a single "确 定" button; user-interface thread only.
void showMessageBox(const QString &text);
