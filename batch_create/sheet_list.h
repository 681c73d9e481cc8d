#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;

// The generation page's list of a workbook's sheets, shown with its label only
// while the path names a workbook. The names are read off the user-interface
// thread, so that a large or slow workbook never holds up typing: the newest
// request wins and an older answer is dropped. The sheet chosen for a file is
// chosen again when the same file comes back.
class SheetList : public QComboBox
{
    Q_OBJECT

public:
    SheetList(const QLineEdit *pathEdit, QLabel *label, QWidget *parent);

    // The sheet the list shows, which a run reads; empty for a CSV file.
    QString sheet() const;
    // Chooses the sheet once the file's names come, as a remembered run does.
    void prefer(const QString &path, const QString &sheet);
    // Reads the names of the file in the path field again.
    void reload();
    // Returns once the names asked for last are listed, taking no user input meanwhile.
    void waitForNames();

signals:
    // The sheet a run would read has changed: names came, or another sheet was chosen.
    void sheetChanged();

private:
    struct Names
    {
        QStringList names;
        // The sheet read when none is named.
        QString first;
    };
    static Names readNames(const QString &path);
    void list(const QString &path, const Names &names);

    const QLineEdit *pathEdit;
    QLabel *label;
    // The file whose names are listed.
    QString listedPath;
    QString chosenPath;
    QString chosenSheet;
    int asked = 0;
    int answered = 0;
};
