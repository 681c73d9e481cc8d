#pragma once

#include "batch_create/sheet_layout.h"
#include "style/batch_style.h"

#include <QImage>
#include <QString>

// The first page of the label sheet the CSV file (or the workbook's sheet, empty for
// its first visible one) would give, widthPixels wide: the
// page, its cells outlined, and the labels of the first rows that make a code. Reads
// only as many rows as one page holds; a null image for a layout that does not fit.
// Safe off the user-interface thread.
QImage sheetPreview(const QString &csvPath, const QString &sheet, const SheetLayout &layout, const BatchStyle &style,
                    int widthPixels);
