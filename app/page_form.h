#pragma once

#include "app/report_view.h"

#include <QString>

class QFrame;
class QGridLayout;
class QLineEdit;
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
PathRow addPathRow(QGridLayout *grid, int row, const QString &caption, const QString &placeholder,
                   const QString &editName, const QString &chooserText, const QString &chooserName);

// The start button and the report widgets in rows 2 to 6, spanning the form.
ReportView addReportRows(QGridLayout *grid, const QString &buttonName);

// A folder the user picks replaces the field's text; a cancelled chooser leaves it.
void chooseFolderInto(QWidget *page, const QString &caption, QLineEdit *field);
