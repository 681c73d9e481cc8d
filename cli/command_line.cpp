#include "cli/command_line.h"

namespace {

CommandLine usageError(const QString &error)
{
    CommandLine line;
    line.error = error;
    return line;
}

bool takesValue(const Command &command, const QString &name)
{
    for (const QString &option : command.options) {
        if (option.section(QLatin1Char(' '), 0, 0) == name)
            return true;
    }
    return false;
}

}

CommandLine parseCommandLine(const QStringList &words, const QVector<Command> &commands)
{
    CommandLine line;
    // Help and version stand before the command, or among its options; anywhere
    // else the word is an argument, such as a save folder named "-v".
    const auto helpOrVersion = [&line](const QString &word) {
        if (word == QLatin1String("-h") || word == QLatin1String("--help"))
            line.action = CommandLine::Help;
        else if (word == QLatin1String("-v") || word == QLatin1String("--version"))
            line.action = CommandLine::Version;
        else
            return false;
        return true;
    };
    if (words.isEmpty())
        return usageError(QStringLiteral("缺少命令"));
    if (helpOrVersion(words.first()))
        return line;
    for (const Command &command : commands) {
        if (command.name == words.first())
            line.command = &command;
    }
    if (!line.command)
        return usageError(QStringLiteral("未知命令：%1").arg(words.first()));
    bool optionsEnded = false;
    for (int i = 1; i < words.size(); ++i) {
        const QString &word = words.at(i);
        // Values are given as "--logo a.png" or "--logo=a.png"; "--" ends the options.
        const QString name = word.section(QLatin1Char('='), 0, 0);
        if (optionsEnded || !word.startsWith(QLatin1String("--"))) {
            line.arguments << word;
        } else if (word == QLatin1String("--")) {
            optionsEnded = true;
        } else if (line.command->flags.contains(word)) {
            line.flags << word;
        } else if (helpOrVersion(word)) {
            return line;
        } else if (!takesValue(*line.command, name)) {
            return usageError(QStringLiteral("未知选项：%1").arg(word));
        } else if (word.contains(QLatin1Char('='))) {
            line.options.insert(name, word.section(QLatin1Char('='), 1));
        } else if (i + 1 < words.size()) {
            line.options.insert(name, words.at(++i));
        } else {
            return usageError(QStringLiteral("选项 %1 缺少值").arg(word));
        }
    }
    // A last argument shown ending in "…" may be given once or more.
    const QStringList &wanted = line.command->arguments;
    const bool repeats = !wanted.isEmpty() && wanted.last().endsWith(QChar(0x2026));
    if (repeats ? line.arguments.size() < wanted.size() : line.arguments.size() != wanted.size()) {
        return usageError(QStringLiteral("命令 %1 需要 %2 个参数：%3")
                              .arg(line.command->name)
                              .arg(line.command->arguments.size())
                              .arg(line.command->arguments.join(QLatin1Char(' '))));
    }
    line.action = CommandLine::Run;
    return line;
}

QString usageText(const QVector<Command> &commands)
{
    QString text = QStringLiteral("用法：glyphora-batch <命令> <参数>...\n\n命令：\n");
    for (const Command &command : commands) {
        QStringList words{command.name};
        words << command.arguments;
        for (const QString &flag : command.flags + command.options)
            words << QLatin1Char('[') + flag + QLatin1Char(']');
        text += QStringLiteral("  %1\n      %2\n").arg(words.join(QLatin1Char(' ')), command.summary);
    }
    text += QStringLiteral("\n选项：\n"
                           "  -h, --help       显示本帮助\n"
                           "  -v, --version    显示版本号\n"
                           "  --               其后的词都是参数，如以 - 开头的文件名\n\n"
                           "退出码：\n"
                           "  0    全部成功\n"
                           "  1    无法运行（如找不到文件夹、无法读取CSV文件或Excel工作簿、无法写入保存文件夹）\n"
                           "  2    用法错误\n"
                           "  3    运行完成，但有失败的条目，见保存文件夹中的 error_log.txt\n"
                           "  130  被 Ctrl+C 或 SIGTERM 中断（手头的条目完成后停止，已生成的文件保留）\n");
    return text;
}
