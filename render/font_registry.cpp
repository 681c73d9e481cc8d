#include "render/font_registry.h"

#include "common/data_folders.h"

#include <QFile>
#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct ShippedFont
{
    const char *family;
    const char *regularFile;
    const char *boldFile;
};

const ShippedFont shippedFonts[] = {
    {"SourceHanSerifCN", "/assets/SourceHanSerifCN-Regular.otf", "/assets/SourceHanSerifCN-Bold.otf"},
    {"Alibaba-PuHuiTi", "/assets/Alibaba-PuHuiTi-Regular.ttf", "/assets/Alibaba-PuHuiTi-Bold.ttf"},
    {"PangMenZhengDaoBiaoTiTi", "/assets/PangMenZhengDaoBiaoTiTi.ttf", "/assets/PangMenZhengDaoBiaoTiTi.ttf"},
    {"ZCOOL-AddictItalic", "/assets/ZCOOL-AddictItalic.ttf", "/assets/ZCOOL-AddictItalic.ttf"},
    {"ZCOOL-cangeryuyang", "/assets/ZCOOL-cangeryuyang-Regular.ttf", "/assets/ZCOOL-cangeryuyang-Bold.ttf"},
    {"ZCOOL-Gaoduanhei", "/assets/ZCOOL-Gaoduanhei.ttf", "/assets/ZCOOL-Gaoduanhei.ttf"},
    {"ZCOOL-Kuaile", "/assets/ZCOOL-Kuaile.ttf", "/assets/ZCOOL-Kuaile.ttf"},
    {"ZCOOL-Kuhei", "/assets/ZCOOL-Kuhei.ttf", "/assets/ZCOOL-Kuhei.ttf"},
    {"ZCOOL-QingkeHuangyou", "/assets/ZCOOL-QingkeHuangyou.ttf", "/assets/ZCOOL-QingkeHuangyou.ttf"},
    {"ZCOOL-Wenyi", "/assets/ZCOOL-Wenyi.ttf", "/assets/ZCOOL-Wenyi.ttf"},
    {"ZCOOL-XiaoweiLogo", "/assets/ZCOOL-XiaoweiLogo.otf", "/assets/ZCOOL-XiaoweiLogo.otf"},
};

// A CJK collection holds one face per region, the Japanese one first; captions
// here are Simplified Chinese, whose faces the collections tag "SC" or "CN".
QString chineseFamily(const QStringList &families)
{
    for (const QString &family : families) {
        if (family.endsWith(QLatin1String(" SC")) || family.endsWith(QLatin1String(" CN")))
            return family;
    }
    return families.value(0);
}

} // namespace

QString resolveLabelFont(const QString &family, bool bold)
{
    for (const ShippedFont &font : shippedFonts) {
        if (family == QLatin1String(font.family))
            return registerFontFile(QLatin1String(bold ? font.boldFile : font.regularFile));
    }
    return family;
}

QStringList shippedFontFamilies()
{
    QStringList families;
    for (const ShippedFont &font : shippedFonts)
        families << QLatin1String(font.family);
    return families;
}

bool hasBoldFontFile(const QString &family)
{
    for (const ShippedFont &font : shippedFonts) {
        if (family == QLatin1String(font.family))
            return qstrcmp(font.boldFile, font.regularFile) != 0;
    }
    return false;
}

QString registerFontFile(const QString &relativePath)
{
    static QMutex mutex;
    static QHash<QString, QString> families;

    const QString path = findProgramDataFile(relativePath);
    if (path.isEmpty())
        return QString();
    // Held while registering so that two threads never add the same file twice.
    const QMutexLocker locker(&mutex);
    const auto cached = families.constFind(path);
    if (cached != families.constEnd())
        return cached.value();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
    file.close();
    const QString family = chineseFamily(QFontDatabase::applicationFontFamilies(id));
    if (!family.isEmpty())
        families.insert(path, family);
    return family;
}
