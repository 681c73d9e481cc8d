#include "render/font_registry.h"

#include <QCoreApplication>
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

} // namespace

QString resolveLabelFont(const QString &family, bool bold)
{
    for (const ShippedFont &font : shippedFonts) {
        if (family == QLatin1String(font.family))
            return registerFontFile(QLatin1String(bold ? font.boldFile : font.regularFile));
    }
    return family;
}

QString registerFontFile(const QString &relativePath)
{
    static QMutex mutex;
    static QHash<QString, QString> families;

    const QString path = QCoreApplication::applicationDirPath() + relativePath;
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
    const QStringList registered = QFontDatabase::applicationFontFamilies(id);
    const QString family = registered.value(0);
    if (!family.isEmpty())
        families.insert(path, family);
    return family;
}
