#pragma once

#include <QString>
#include <QUrl>

// The product web site: the title bar, the organisation domain, the site button
// and the content of a code without content all derive from this one address.
inline QString productSiteUrl()
{
    return QStringLiteral("https://glyphora.app/");
}

inline QString productSiteHost()
{
    return QUrl(productSiteUrl()).host();
}
