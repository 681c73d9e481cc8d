#include "cli/style_option.h"

#include "style/style_file.h"
#include "style/style_presets.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>

StyleOption readStyleOption(const QMap<QString, QString> &options)
{
    StyleOption option;
    option.style = batchPreset();
    if (!options.contains(QStringLiteral("--style")))
        return option;
    const QString value = options.value(QStringLiteral("--style"));
    if (findStylePreset(value, &option.style))
        return option;
    if (!QFileInfo::exists(value)) {
        QStringList names;
        for (const StylePreset &preset : stylePresets())
            names << preset.name;
        option.error = QStringLiteral("没有名为 “%1” 的预置样式，也没有这个样式文件；预置样式有 %2")
                           .arg(value, names.join(QStringLiteral("、")));
    } else {
        option.error = readStyleFile(value, &option.style);
    }
    if (!option.error.isEmpty())
        option.exitCode = 2;
    return option;
}

int runStyles(const CommandLine &)
{
    QString text = QStringLiteral("预置样式（glyphora-batch generate <CSV或Excel文件> <保存文件夹> --style <名称>）：\n");
    for (const StylePreset &preset : stylePresets())
        text += QStringLiteral("  %1  %2：%3\n").arg(preset.name.leftJustified(8), preset.title, preset.description);
    text += QStringLiteral("也可以给出样式文件（.json），字段见 README。\n");
    fputs(text.toUtf8().constData(), stdout);
    return 0;
}
