#pragma once

#include <QString>

// What a style preview draws: a row's name and content.
struct PreviewSample
{
    QString name;
    QString content;
};

// The first data row of the CSV file (or the workbook's sheet, empty for its first
// visible one), as the batch would draw it; a sample text when the path is empty
// or the file has no usable row. Reads only the start of the file, so a large
// file costs no more than a small one.
PreviewSample previewSample(const QString &csvPath, const QString &sheet);
