#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

// How labels lie on the pages of a sheet, in millimetres.
struct SheetLayout
{
    QSizeF page;
    int columns = 1;
    int rows = 1;
    // Empty: the cells share what the margins leave.
    QSizeF label;
    QSizeF gap;
    // Top and left; negative: the grid is centred on the page that way.
    QPointF margin{-1, -1};
    bool cutMarks = false;

    int labelsPerPage() const { return columns * rows; }
    // The label of the given place on its page, counted by rows.
    QRectF cell(int place) const;
    // Empty when the labels fit on the page, otherwise why not, in Chinese.
    QString fault() const;
};

// A layout of the common label papers, known by its name.
struct NamedSheet
{
    QString name;
    QString description;
    SheetLayout layout;
};

const QVector<NamedSheet> &namedSheets();

// A page given as A4, A5, Letter or <w>x<h>mm; false when it is none of them.
bool readPageSize(const QString &text, QSizeF *page);
