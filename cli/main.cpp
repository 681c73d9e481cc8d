#include "batch_create/batch_create.h"
#include "cli/batch_run.h"
#include "cli/command_line.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

void writeText(FILE *stream, const QString &text)
{
    fputs(text.toUtf8().constData(), stream);
}

int runGenerate(const CommandLine &line)
{
    // The worker takes an unreadable file for an empty one; a mistyped path must not pass for success.
    const QString csvPath = line.arguments.at(0);
    const QFileInfo csv(csvPath);
    if (!csv.isFile() || !csv.isReadable()) {
        writeText(stderr, QStringLiteral("无法读取CSV文件：%1\n").arg(csvPath));
        return 1;
    }
    return runBatchWorker(new BatchCreate, csvPath, line.arguments.at(1), QStringLiteral("qrcustom"));
}

const QVector<Command> commands = {
    {QStringLiteral("generate"),
     {QStringLiteral("<CSV文件>"), QStringLiteral("<保存文件夹>")},
     {},
     QStringLiteral("按 CSV 文件批量生成二维码图片：首行为标题，之后每行的第一列为名称，第二列为内容"),
     runGenerate},
};

}

int main(int argc, char *argv[])
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(words, commands);
    switch (line.action) {
    case CommandLine::Help:
        writeText(stdout, usageText(commands));
        return 0;
    case CommandLine::Version:
        writeText(stdout, QStringLiteral("glyphora-batch " GLYPHORA_VERSION "\n"));
        return 0;
    case CommandLine::UsageError:
        writeText(stderr, QStringLiteral("错误：%1\n\n").arg(line.error) + usageText(commands));
        return 2;
    case CommandLine::Run:
        break;
    }

    // Captions need fonts, and fonts need a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return line.command->run(line);
}
