#include "batch_create/batch_create.h"
#include "batch_create/heading_check.h"
#include "batch_decode/batch_jiema.h"
#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "cli/compose_options.h"
#include "cli/merge_command.h"
#include "cli/shard_option.h"
#include "cli/print_options.h"
#include "cli/sheet_command.h"
#include "cli/style_option.h"
#include "common/heap_reuse.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

// More items at once than this only take memory.
constexpr int maxJobs = 64;

void writeText(FILE *stream, const QString &text)
{
    fputs(text.toUtf8().constData(), stream);
}

// Qt's own warnings name files, whose names may hold control characters: they are
// printed escaped like everything else. A fatal message still ends the program.
void printQtMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    writeText(stderr, printableText(message) + QLatin1Char('\n'));
}

// Items worked on at once, from --jobs: 0 (one a core) when not given, -1 when malformed.
int readJobs(const CommandLine &line)
{
    if (!line.options.contains(QStringLiteral("--jobs")))
        return 0;
    const QString text = line.options.value(QStringLiteral("--jobs"));
    bool ok = false;
    const int jobs = text.trimmed().toInt(&ok);
    if (ok && jobs >= 1 && jobs <= maxJobs)
        return jobs;
    writeText(stderr, QStringLiteral("错误：--jobs 应为 1 到 %1 之间的整数：%2\n").arg(maxJobs).arg(printableText(text)));
    return -1;
}

// The share of the batch from --shard; false, having said why, when malformed.
bool readShard(const CommandLine &line, BatchShard *shard)
{
    const ShardOption option = readShardOption(line.options);
    if (!option.error.isEmpty()) {
        writeText(stderr, QStringLiteral("错误：%1\n").arg(printableText(option.error)));
        return false;
    }
    *shard = option.shard;
    return true;
}

// The JSON field naming an item when --json is given, empty otherwise.
QString jsonItemKey(const CommandLine &line, const QString &key)
{
    return line.flags.contains(QLatin1String("--json")) ? key : QString();
}

int runGenerate(const CommandLine &line)
{
    const ComposeOptions options = readComposeOptions(line.options);
    if (options.exitCode != 0) {
        writeText(stderr, QStringLiteral("错误：%1\n").arg(printableText(options.error)));
        return options.exitCode;
    }
    StyleOption style = readStyleOption(line.options);
    if (style.exitCode != 0) {
        writeText(stderr, QStringLiteral("错误：%1\n").arg(printableText(style.error)));
        return style.exitCode;
    }
    const PrintOptions print = readPrintOptions(line.options, &style.style.record);
    if (!print.error.isEmpty()) {
        writeText(stderr, QStringLiteral("错误：%1\n").arg(printableText(print.error)));
        return 2;
    }
    const int jobs = readJobs(line);
    BatchShard shard;
    if (jobs < 0 || !readShard(line, &shard))
        return 2;
    auto *worker = new BatchCreate;
    worker->setShard(shard);
    worker->setComposition(options.composition);
    worker->setStyle(style.style);
    worker->setJobs(jobs);
    worker->setFormat(print.format);
    worker->setSkipExisting(line.flags.contains(QLatin1String("--skip-existing")));
    worker->setSheet(line.options.value(QStringLiteral("--sheet")));
    const QString input = line.arguments.at(0);
    if (headingLooksLikeData(input, line.options.value(QStringLiteral("--sheet"))))
        writeText(stderr, QStringLiteral("注意：") + headingLikeDataText(input) + QLatin1Char('\n'));
    return runBatchWorker(worker, input, line.arguments.at(1), QStringLiteral("qrcustom"),
                          jsonItemKey(line, QStringLiteral("name")));
}

int runDecode(const CommandLine &line)
{
    static const QMap<QString, DecodeEngines> engines{
        {QStringLiteral("cnn"), DecodeEngines::Cnn}, {QStringLiteral("zxing"), DecodeEngines::Zxing}, {QStringLiteral("both"), DecodeEngines::Both}};
    const QString engine = line.options.value(QStringLiteral("--engine"), QStringLiteral("both"));
    if (!engines.contains(engine)) {
        writeText(stderr, QStringLiteral("错误：--engine 只能是 cnn、zxing 或 both，不能是 %1\n").arg(printableText(engine)));
        return 2;
    }
    const int jobs = readJobs(line);
    BatchShard shard;
    if (jobs < 0 || !readShard(line, &shard))
        return 2;
    const QString pictures = line.arguments.at(0);
    if (!QFileInfo(pictures).isDir()) {
        writeText(stderr, QStringLiteral("二维码图片文件夹不存在：%1\n").arg(printableText(pictures)));
        return 1;
    }
    const QString mode = line.flags.contains(QLatin1String("--excel")) ? QStringLiteral("excel") : QStringLiteral("default");
    // Before the worker thread starts, so that it shares the one heap too.
    keepFreedMemoryInOneHeap();
    const QString formats = line.options.value(QStringLiteral("--formats"), QStringLiteral("qr"));
    if (formats != QLatin1String("qr") && formats != QLatin1String("all")) {
        writeText(stderr, QStringLiteral("错误：--formats 只能是 qr 或 all，不能是 %1\n").arg(printableText(formats)));
        return 2;
    }
    auto *worker = new BatchJiema;
    worker->setEngines(engines.value(engine));
    worker->setAllFormats(formats == QLatin1String("all"));
    worker->setJobs(jobs);
    worker->setShard(shard);
    worker->setWorkbook(line.flags.contains(QLatin1String("--xlsx")));
    return runBatchWorker(worker, pictures, line.arguments.at(1), mode, jsonItemKey(line, QStringLiteral("picture")));
}

const QVector<Command> commands = {
    {QStringLiteral("generate"),
     {QStringLiteral("<CSV或Excel文件>"), QStringLiteral("<保存文件夹>")},
     {QStringLiteral("--json"), QStringLiteral("--skip-existing")},
     {QStringLiteral("--logo <图片>"), QStringLiteral("--background <图片>"), QStringLiteral("--offset <X,Y>"),
      QStringLiteral("--rotation <角度>"), QStringLiteral("--style <样式>"), QStringLiteral("--jobs <N>"),
      QStringLiteral("--shard <K/N>"), QStringLiteral("--format <png|svg|pdf>"), QStringLiteral("--size <宽度>"),
      QStringLiteral("--dpi <N>"), QStringLiteral("--sheet <工作表>")},
     QStringLiteral("按 CSV 文件批量生成二维码图片：首行为标题，之后每行的第一列为名称，第二列为内容\n"
                    "      --logo        在二维码中央放置 Logo 图片\n"
                    "      --background  把二维码合成到背景图片上：.gif 背景生成动画 <名称>.gif，其他图片生成 <名称>.png\n"
                    "      --offset      二维码在背景上的位置（背景像素），默认 0,0\n"
                    "      --rotation    二维码绕自身中心顺时针旋转的角度，大于 0 时生效\n"
                    "      --style       预置样式的名称（见 styles 命令）或样式文件 .json；--logo、--background 优先于样式中的图片\n"
                    "      --jobs        同时生成的条数，默认为处理器核数；结果与条数无关\n"
                    "      --json        每行输出一个 JSON 对象：每个条目一个，最后是汇总\n"
                    "      --shard       只做 N 份中的第 K 份（K 从 0 起）：序号除以 N 余 K 的数据行\n"
                    "      --skip-existing  保存文件夹中已有同名图片的行不再生成，另计为“跳过”，用于接着中断的运行继续；\n"
                    "                    默认覆盖\n"
                    "      --format      文件格式：png（默认）、svg 或 pdf（矢量，放大不模糊，字幕转为轮廓）\n"
                    "      --size        打印宽度（二维码连同字幕），如 30mm 或 1.2in\n"
                    "      --dpi         与 --size 一起决定 PNG 的像素数，默认 300\n"
                    "      --sheet       输入为Excel工作簿（.xlsx、.xls）时读取的工作表，默认第一张可见的工作表"),
     runGenerate},
    {QStringLiteral("styles"), {}, {}, {}, QStringLiteral("列出预置样式"), runStyles},
    {QStringLiteral("sheet"),
     {QStringLiteral("<CSV或Excel文件>"), QStringLiteral("<PDF文件>")},
     {QStringLiteral("--cut-marks")},
     {QStringLiteral("--layout <版式>"), QStringLiteral("--page <A4|A5|Letter|宽x高mm>"), QStringLiteral("--grid <列x行>"),
      QStringLiteral("--label <宽x高mm>"), QStringLiteral("--gap <横,纵mm>"), QStringLiteral("--margin <上,左mm>"),
      QStringLiteral("--style <样式>"), QStringLiteral("--logo <图片>"), QStringLiteral("--background <图片>"),
      QStringLiteral("--sheet <工作表>")},
     QStringLiteral("把 CSV 文件的每一行生成为一个标签（二维码和名称，居中），按行的顺序排成一个多页 PDF 文件\n"
                    "      --layout     标签版式的名称（见 sheets 命令）；其余选项可改动它\n"
                    "      --page       页面大小；--grid 每页的列数和行数\n"
                    "      --label      标签大小，默认均分页边距以内的页面；--gap 标签间距，默认 0\n"
                    "      --margin     上边距和左边距，默认标签在页面上居中\n"
                    "      --cut-marks  在每个标签的四角外画裁切线\n"
                    "      --sheet      输入为Excel工作簿（.xlsx、.xls）时读取的工作表，默认第一张可见的工作表\n"
                    "      失败的行写入 PDF 文件所在文件夹的 error_log.txt，不留空位；中途停止时不写 PDF 文件"),
     runSheet},
    {QStringLiteral("sheets"), {}, {}, {}, QStringLiteral("列出标签版式"), runSheets},
    {QStringLiteral("decode"),
     {QStringLiteral("<图片文件夹>"), QStringLiteral("<保存文件夹>")},
     {QStringLiteral("--excel"), QStringLiteral("--json"), QStringLiteral("--xlsx")},
     {QStringLiteral("--engine <cnn|zxing|both>"), QStringLiteral("--jobs <N>"), QStringLiteral("--formats <qr|all>"),
      QStringLiteral("--shard <K/N>")},
     QStringLiteral("批量解码图片文件夹及其一级子文件夹中的二维码，每个文件夹写一个 CSV 文件\n"
                    "      --excel   使表格程序把长数字显示为文本\n"
                    "      --xlsx    同时写一个 Excel 工作簿 <开始时间>.xlsx：每个文件夹一个工作表，单元格均为文本\n"
                    "      --engine  识别引擎：cnn（OpenCV 的 CNN 检测器）、zxing（ZXing-C++）或 both（默认，\n"
                    "                先用 ZXing-C++，读不出时再用 CNN 检测器）\n"
                    "      --jobs    同时解码的图片数，默认为处理器核数；结果与图片数无关\n"
                    "      --formats qr（默认）只识别二维码；all 识别所有条码格式（EAN、UPC、Code 128、Data Matrix 等）\n"
                    "      --json    每行输出一个 JSON 对象：每张图片一个，最后是汇总\n"
                    "      --shard   只做 N 份中的第 K 份（K 从 0 起）：按列出顺序，序号除以 N 余 K 的图片"),
     runDecode},
    {QStringLiteral("merge"),
     {QStringLiteral("<合并文件夹>"), QStringLiteral("<保存文件夹>…")},
     {},
     {},
     QStringLiteral("把 --shard 各份的保存文件夹合并为一次完整运行的结果（合并文件夹不存在时创建）\n"
                    "      图片尽量以硬链接放入（不在同一文件系统时复制），各份保留不变；同名的行如一次运行那样记为“名称重复”\n"
                    "      每个文件夹的 CSV 文件按列出顺序合并为一个，文件名的时间戳取最早开始的一份；错误日志合并为一个，只有一个标题行\n"
                    "      合并文件夹中已有同名文件时不做任何改动"),
     runMerge},
};

}

int main(int argc, char *argv[])
{
    installInterruptHandler();
    qInstallMessageHandler(printQtMessage);
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
        writeText(stderr, QStringLiteral("错误：%1\n\n").arg(printableText(line.error)) + usageText(commands));
        return 2;
    case CommandLine::Run:
        break;
    }

    // Captions need fonts, and fonts need a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Past a file-size limit a write then fails and is reported like a full disk,
    // instead of the signal ending the program with a file cut mid-line.
    std::signal(SIGXFSZ, SIG_IGN);
    return line.command->run(line);
}
