#pragma once

#include <QString>

// True when the CSV file's first line, which is taken as the heading and never
// drawn, looks like data: its second field has the shape of the first data row's
// content (a web address, a number).
bool headingLooksLikeData(const QString &csvPath);
