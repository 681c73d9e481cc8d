#pragma once

#include <QString>

// True when the first line of the CSV file (or of the workbook's sheet, empty for
// its first visible one), which is taken as the heading and never drawn, looks
// like data: its second field has the shape of the first data row's content (a
// web address, a number).
bool headingLooksLikeData(const QString &csvPath, const QString &sheet);

// What the user is told of such a heading, for the file at csvPath: that it is
// taken as the heading all the same.
QString headingLikeDataText(const QString &csvPath);
