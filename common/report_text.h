#pragma once

#include <QString>

// Worker reports are shown in labels and message boxes that render rich text. User
// data (names, paths, decoded texts) goes into a report escaped, in a message marked
// as rich text, so that the page renders the escapes and never the data's own markup.
// text holds %1 where the data goes.
inline QString reportWithUserText(const QString &text, const QString &userText)
{
    return QStringLiteral("<span>") + text.arg(userText.toHtmlEscaped()) + QStringLiteral("</span>");
}
