// Times styled renders in the batch style. Usage:
//   render_bench url|v40 <count> <folder>   prints milliseconds per code
//   render_bench once-v40 <file> [round]    one version 40 render, for peak memory;
//                                           round: round modules and eyes
//   render_bench idle                       starts and does nothing, for the idle size
#include "render/qr_style_record.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

QrStyleRecord batchStyle(bool version40)
{
    QrStyleRecord style;
    style.imageSize = 500;
    style.canvasAlpha = 0.1;
    style.lightModuleSize = 50.0;
    style.labelText = QStringLiteral("张三");
    style.labelPointSize = 30;
    style.labelLetterSpacing = 12;
    style.labelFontFamily = QStringLiteral("黑体");
    style.content = QStringLiteral("https://example.com/orders/2024?id=12345");
    if (version40)
        style.version = 40;
    return style;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 && args.at(1) == QLatin1String("idle"))
        return 0;
    if ((args.size() == 3 || args.size() == 4) && args.at(1) == QLatin1String("once-v40")) {
        QrStyleRecord style = batchStyle(true);
        // Shapes that are not whole modules are drawn on a canvas of many pixels a module.
        if (args.value(3) == QLatin1String("round")) {
            style.moduleShape = 1;
            style.eyeShape = 1;
        }
        return style.render(args.at(2)) ? 0 : 1;
    }
    if (args.size() != 4 || (args.at(1) != QLatin1String("url") && args.at(1) != QLatin1String("v40"))) {
        std::fprintf(stderr, "usage: render_bench url|v40 <count> <folder> | once-v40 <file> [round] | idle\n");
        return 2;
    }
    const bool version40 = args.at(1) == QLatin1String("v40");
    const int count = qMax(1, args.at(2).toInt());
    // The first render loads the caption font; a batch pays that once.
    if (!batchStyle(version40).render(args.at(3) + QStringLiteral("/warm-up.png")))
        return 1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        if (!batchStyle(version40).render(QStringLiteral("%1/%2.png").arg(args.at(3)).arg(i)))
            return 1;
    }
    std::printf("%.2f\n", double(timer.nsecsElapsed()) / 1e6 / count);
    return 0;
}
