#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A QR code of the payload bytes (8-bit mode), black on white with a quiet zone.
QImage codeImage(const QByteArray &payload, int moduleSize = 4);

// Two pictures next to each other on white.
QImage sideBySide(const QImage &left, const QImage &right);

// The code as an SVG drawing of one rectangle per dark module.
QByteArray codeSvg(const QByteArray &payload);

// Saves the picture as a black-and-white GIF (Qt reads GIF but cannot write it).
bool saveGif(const QImage &image, const QString &path);
