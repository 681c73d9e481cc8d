#pragma once

#include <QString>

// Text after the last "." of a name or path, in its own letter case.
QString fileSuffix(const QString &name);

// True when the folder exists; with create set, missing folders are made first.
bool ensureDir(const QString &path, bool &create);

// The working folder, made if it is missing. When it cannot be made, the message
// for the user (rich text) is stored in failureMessage (when given); showing it is the caller's
// job, because this may run on a worker thread where no widget may be created.
QString cacheDirPath(QString *failureMessage = nullptr);

// True when every Latin-1 byte up to the end or the first zero byte is a digit.
bool isDigitString(const QString &text);

// Hands a web address to the desktop's default handler.
void openUrl(const QString &url);

// The file's text decoded as UTF-8 up to its first zero byte; empty when unreadable.
QString readTextFile(const QString &path);
