#pragma once

#include <QString>

class QFrame;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

// Builders for the two work pages, which share their look and their form.

// The heading band: a title of the given width and a grey description over a light rule.
QFrame *buildPageHeader(QWidget *page, const QString &title, int titleWidth, const QString &description);

// The form's grid on its frame: spacing 10, the filled rows kept at the top.
QGridLayout *buildFormGrid(QFrame *form);

struct PathRow
{
    QLineEdit *edit;
    QToolButton *chooser;
};

// A form row of caption, path field and chooser button; widgets carry the given object names.
// A hint, when given, goes under the field as the label "fieldHint".
PathRow addPathRow(QGridLayout *grid, int row, const QString &caption, const QString &placeholder,
                   const QString &editName, const QString &chooserText, const QString &chooserName,
                   const QString &hint = QString());

// Enter in the field starts a run, unless one is going.
void startOnEnter(QLineEdit *field, QPushButton *startButton);

// The field's path without the white space around it that a paste often brings;
// the field is set to what is used.
QString trimmedPath(QLineEdit *field);

// A folder or file the user picks replaces the field's text; a cancelled chooser
// leaves it. The chooser opens at the field's path or else where the user last chose.
void chooseFolderInto(QWidget *page, const QString &caption, QLineEdit *field);
void chooseFileInto(QWidget *page, const QString &caption, const QString &filter, QLineEdit *field);
