#pragma once

#include <QString>
#include <QStringList>

// The family to give QFont for a caption family name: a family shipped in the
// assets folder is registered from its regular or bold file; any other name is
// returned as it is and left to the platform's font matching. Empty when the
// shipped file is missing or unusable.
QString resolveLabelFont(const QString &family, bool bold);

// The shipped families, for a font chooser.
QStringList shippedFontFamilies();

// True for a shipped family that has a bold file of its own.
bool hasBoldFontFile(const QString &family);

// Registers the font file at relativePath in the program data (findProgramDataFile) once per process
// and returns its family, the Simplified Chinese face of a collection; empty when
// the file cannot be read or used.
// Safe to call from several threads.
QString registerFontFile(const QString &relativePath);
