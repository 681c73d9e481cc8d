#pragma once

#include <QByteArray>
#include <QList>
#include <QPolygonF>
#include <QString>

// One code read from a picture.
struct FoundCode
{
    QByteArray bytes; // the payload as the code stores it
    QString text;
    QPolygonF corners; // in picture pixels
};

// The texts in reading order (rows top to bottom, each row left to right), a code
// read twice (same bytes, outlines mostly overlapping) only once, joined by resultSeparator.
QString joinInReadingOrder(QList<FoundCode> codes);
