#include "common/file_utils.h"
#include "app/main_widget.h"
#include "common/product_site.h"
#include "app/resources.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    initResources();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrion"));
    QApplication::setOrganizationName(QStringLiteral("Tavrion"));
    QApplication::setOrganizationDomain(productSiteHost());
    QApplication::setWindowIcon(QIcon(QStringLiteral("://static/images/logo.png")));
    app.setStyleSheet(readTextFile(QStringLiteral("://static/style.qss")));

    // On the stack, so the pages stop their runs before the application goes.
    MainWidget window;
    window.show();
    return app.exec();
}
