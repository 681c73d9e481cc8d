#pragma once

#include <QString>

// How many pictures a generation run from the CSV file (or the workbook's sheet,
// empty for its first visible one) would replace in the save folder: distinct
// files named by the data rows that exist already. Reads the file row by row; 0
// when it cannot be read.
int countExistingPictures(const QString &csvPath, const QString &sheet, const QString &saveFolder, const QString &suffix);
