#pragma once

#include <QString>

class QFile;

// Opens a file the program reads (a CSV, a style, a picture, a logo or a
// background) without ever waiting on it: a FIFO, a device or a socket under a
// file's name is refused instead of blocking the run for ever. Links are followed.
// Everything is then read from the descriptor checked, so that a file swapped
// after the check is never the one read. False, the file closed, for anything
// that is not a regular file that can be opened.
bool openInputFile(QFile &file, const QString &path);
