#pragma once

#include <QObject>

class QLineEdit;
class QMimeData;
class QString;
class QWidget;

// Lets a file or folder dragged from a file manager onto a widget replace the
// text of a path field with its local path. A file goes to fileField, a folder to
// folderField; a kind without a field is refused, as is anything but one local
// file or folder. Other drags (plain text onto a field) are left to the widget.
class PathDrop : public QObject
{
    Q_OBJECT

public:
    PathDrop(QWidget *target, QLineEdit *fileField, QLineEdit *folderField);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *fieldFor(const QMimeData *data, QString *path) const;

    QLineEdit *fileField;
    QLineEdit *folderField;
};
