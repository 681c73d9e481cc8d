#include "app/path_drop.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

PathDrop::PathDrop(QWidget *target, QLineEdit *fileField, QLineEdit *folderField)
    : QObject(target)
    , fileField(fileField)
    , folderField(folderField)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool PathDrop::eventFilter(QObject *, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    // A drag enter is a drag move, and both are drops.
    auto *drop = static_cast<QDropEvent *>(event);
    if (!drop->mimeData()->hasUrls())
        return false;
    QString path;
    QLineEdit *field = fieldFor(drop->mimeData(), &path);
    if (!field) {
        // Refused here, so that a line edit does not insert the "file://" text instead.
        drop->ignore();
        return true;
    }
    if (type == QEvent::Drop) {
        field->setText(path);
        field->setFocus();
    }
    drop->acceptProposedAction();
    return true;
}

QLineEdit *PathDrop::fieldFor(const QMimeData *data, QString *path) const
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return nullptr;
    const QFileInfo info(urls.first().toLocalFile());
    *path = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    QLineEdit *field = info.isDir() ? folderField : info.isFile() ? fileField : nullptr;
    // A field is read-only while its page runs.
    return field && !field->isReadOnly() ? field : nullptr;
}
