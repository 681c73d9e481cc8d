#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool loadQtTranslations(QCoreApplication *app)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    // Dates and sizes in the file dialogs follow the language of the window.
    QLocale::setDefault(chinese);
    auto *translator = new QTranslator(app);
    if (!translator->load(chinese, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
