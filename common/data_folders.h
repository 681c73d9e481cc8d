#pragma once

#include <QStringList>

// Folders that may hold the program's data (caption fonts under assets/, the
// detector models under opencv_3rdparty/), in the order they are tried: beside
// the program (a build), share/glyphora beside its bin/ (an install under any
// prefix), then the data folder of the configured install.
QStringList programDataFolders();

// The file at relativePath ("/assets/x.otf") in the first of
// programDataFolders() that holds it; empty when none does.
QString findProgramDataFile(const QString &relativePath);
