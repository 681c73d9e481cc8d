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

// Payload bytes that declare no character set, as text: UTF-8, else GB18030, else Latin-1.
QString guessedPayloadText(const QByteArray &bytes);

// The texts in reading order (rows top to bottom, each row left to right), a code
// reported twice at the same place only once, joined by resultSeparator.
QString joinInReadingOrder(QList<FoundCode> codes);
