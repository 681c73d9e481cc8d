#pragma once

class QCoreApplication;

// Makes Qt's own texts (file dialogs, the line edits' menus, standard buttons)
// Simplified Chinese like the rest of the window. False when Qt's translations
// are not installed; the window then works with Qt's English texts.
bool loadQtTranslations(QCoreApplication *app);
