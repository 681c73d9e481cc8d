#include "batch_create/existing_pictures.h"

#include "batch_create/row_reader.h"
#include "batch_create/safe_output_path.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>

int countExistingPictures(const QString &csvPath, const QString &sheet, const QString &saveFolder, const QString &suffix)
{
    const std::unique_ptr<RowReader> reader = openRowReader(csvPath, sheet);
    QStringList row;
    // The heading is no picture.
    if (!reader->readRow(row))
        return 0;
    QSet<QString> found;
    for (int index = 1; reader->readRow(row); ++index) {
        if (row.value(1).isEmpty())
            continue;
        const QString name = row.first().isEmpty() ? QString::number(index) : row.first();
        const QString path = safeOutputPath(saveFolder, name, suffix);
        if (!path.isEmpty() && QFileInfo::exists(path))
            found.insert(path);
    }
    return found.size();
}
