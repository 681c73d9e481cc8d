#pragma once

#include <QString>

// How many pictures a generation run from the CSV file would replace in the save
// folder: distinct files named by the data rows that exist already. Reads the
// file row by row; 0 when it cannot be read.
int countExistingPictures(const QString &csvPath, const QString &saveFolder, const QString &suffix);
