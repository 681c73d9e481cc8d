#include "cli/sheet_command.h"

#include "batch_create/sheet_create.h"
#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "cli/compose_options.h"
#include "cli/style_option.h"
#include "render/print_size.h"

#include <cstdio>

namespace {

int usageFailure(const QString &error)
{
    fputs(QStringLiteral("错误：%1\n").arg(printableText(error)).toUtf8().constData(), stderr);
    return 2;
}

bool readGrid(const QString &text, int *columns, int *rows)
{
    const QStringList parts = text.trimmed().toLower().split(QLatin1Char('x'));
    bool columnsOk = false;
    bool rowsOk = false;
    if (parts.size() == 2) {
        *columns = parts.at(0).toInt(&columnsOk);
        *rows = parts.at(1).toInt(&rowsOk);
    }
    return columnsOk && rowsOk;
}

// The layout the options ask for: a named one, changed by the options given.
QString readLayout(const QMap<QString, QString> &options, bool cutMarks, SheetLayout *layout)
{
    const QString named = options.value(QStringLiteral("--layout"));
    if (options.contains(QStringLiteral("--layout"))) {
        bool found = false;
        for (const NamedSheet &sheet : namedSheets()) {
            if (sheet.name.compare(named, Qt::CaseInsensitive) == 0) {
                *layout = sheet.layout;
                found = true;
            }
        }
        if (!found)
            return QStringLiteral("没有名为 “%1” 的标签版式，见 glyphora-batch sheets").arg(named);
    } else if (!options.contains(QStringLiteral("--page")) || !options.contains(QStringLiteral("--grid"))) {
        return QStringLiteral("请用 --layout 选择标签版式，或用 --page 和 --grid 给出页面和行列");
    }
    if (options.contains(QStringLiteral("--page")) && !readPageSize(options.value(QStringLiteral("--page")), &layout->page))
        return QStringLiteral("--page 应为 A4、A5、Letter 或 <宽>x<高>mm，如 100x150mm：%1").arg(options.value(QStringLiteral("--page")));
    if (options.contains(QStringLiteral("--grid"))
        && !readGrid(options.value(QStringLiteral("--grid")), &layout->columns, &layout->rows))
        return QStringLiteral("--grid 应为 <列>x<行>，如 3x8：%1").arg(options.value(QStringLiteral("--grid")));
    double first = 0;
    double second = 0;
    if (options.contains(QStringLiteral("--label"))) {
        if (!readLengthPair(options.value(QStringLiteral("--label")), QLatin1Char('x'), false, &first, &second))
            return QStringLiteral("--label 应为 <宽>x<高>mm，如 70x37mm：%1").arg(options.value(QStringLiteral("--label")));
        layout->label = QSizeF(first, second);
    } else if (!options.contains(QStringLiteral("--layout"))) {
        layout->label = QSizeF();
    }
    if (options.contains(QStringLiteral("--gap"))) {
        if (!readLengthPair(options.value(QStringLiteral("--gap")), QLatin1Char(','), true, &first, &second))
            return QStringLiteral("--gap 应为 <横向>,<纵向>mm，如 2.5,0mm：%1").arg(options.value(QStringLiteral("--gap")));
        layout->gap = QSizeF(first, second);
    }
    if (options.contains(QStringLiteral("--margin"))) {
        if (!readLengthPair(options.value(QStringLiteral("--margin")), QLatin1Char(','), true, &first, &second))
            return QStringLiteral("--margin 应为 <上>,<左>mm，如 10.7,4.75mm：%1").arg(options.value(QStringLiteral("--margin")));
        layout->margin = QPointF(first, second);
    }
    layout->cutMarks = cutMarks;
    return layout->fault();
}

} // namespace

int runSheet(const CommandLine &line)
{
    SheetLayout layout;
    const QString layoutError = readLayout(line.options, line.flags.contains(QLatin1String("--cut-marks")), &layout);
    if (!layoutError.isEmpty())
        return usageFailure(layoutError);
    const ComposeOptions compose = readComposeOptions(line.options);
    if (compose.exitCode != 0)
        return usageFailure(compose.error);
    const StyleOption style = readStyleOption(line.options);
    if (style.exitCode != 0)
        return usageFailure(style.error);
    auto *worker = new SheetCreate;
    worker->setLayout(layout);
    worker->setStyle(style.style);
    worker->setComposition(compose.composition);
    worker->setSheet(line.options.value(QStringLiteral("--sheet")));
    return runBatchWorker(worker, line.arguments.at(0), line.arguments.at(1), QString(), QString());
}

int runSheets(const CommandLine &)
{
    QString text = QStringLiteral("标签版式（glyphora-batch sheet <CSV或Excel文件> <PDF文件> --layout <名称>）：\n");
    for (const NamedSheet &sheet : namedSheets())
        text += QStringLiteral("  %1  %2\n").arg(sheet.name.leftJustified(14), sheet.description);
    text += QStringLiteral("也可以用 --page、--grid、--label、--gap、--margin 给出其他版式，或改动上面的版式。\n");
    fputs(text.toUtf8().constData(), stdout);
    return 0;
}
