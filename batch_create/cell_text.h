#pragma once

#include <QString>

// How a workbook shows a number, as far as the text of a cell depends on it.
struct CellFormat
{
    enum Kind { Number, Date, DateTime, Time };
    Kind kind = Number;
    // Integers are padded with leading zeros to this many digits ("000000").
    int digits = 0;
};

// The format of a number format code as a workbook stores it ("yyyy/m/d", "0.00").
CellFormat cellFormatOfCode(const QString &code);
// The format of a built-in number format, which a workbook names by its number only.
CellFormat builtInCellFormat(int id);

// A stored number as the user sees it: integers as plain digits, never with an
// exponent or ".0"; dates as yyyy-MM-dd, with " HH:mm" when the format shows the time.
// Serial day numbers count from 1899-12-30, or from 1904-01-01 in a 1904 workbook.
// Text that is no number is given back as it is.
QString cellNumberText(const QString &stored, const CellFormat &format, bool date1904 = false);
