#include "common/file_utils.h"
#include "app/main_widget.h"
#include "common/product_site.h"
#include "app/qt_translations.h"
#include "app/resources.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace {

const char helpText[] =
    "用法：glyphora [选项]\n\n"
    "打开 Glyphora 的窗口：批量生成二维码（CSV 文件的每行一张带名称的二维码图片），\n"
    "批量解码二维码图片（文件夹及其子文件夹的图片，每个文件夹一个 CSV 文件）。\n"
    "在脚本和服务器上请用命令行程序 glyphora-batch。\n\n"
    "选项：\n"
    "  -h, --help       显示本帮助\n"
    "  -v, --version    显示版本号\n";

}

int main(int argc, char *argv[])
{
    // Answered before the window's application exists, so that they need no screen.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(helpText, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "-v") || !std::strcmp(argv[i], "--version")) {
            std::fputs("glyphora " GLYPHORA_VERSION "\n", stdout);
            return 0;
        }
    }
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
