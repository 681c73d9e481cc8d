#include "common/file_utils.h"
#include "app/main_widget.h"
#include "common/product_site.h"
#include "app/qt_translations.h"
#include "app/resources.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    initResources();
    // Sharp on screens of 150 % and 200 %: the whole window is scaled, by the
    // screen's own factor rather than the nearest whole one.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrion"));
    QApplication::setOrganizationName(QStringLiteral("Tavrion"));
    QApplication::setOrganizationDomain(productSiteHost());
    QApplication::setWindowIcon(QIcon(QStringLiteral("://static/images/logo.png")));
    app.setStyleSheet(readTextFile(QStringLiteral("://static/style.qss")));
    loadQtTranslations(&app);

    // On the stack, so the pages stop their runs before the application goes.
    MainWidget window;
    window.show();
    return app.exec();
}
