#include "cli/report_printer.h"
#include "tests/batch_create/test_helpers.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void batchCommand_data();
    void batchCommand();
    void ctrlCStopsAfterTheCurrentRows();
    void printer_data();
    void printer();
};

namespace {

void startBatchCommand(QProcess &process, const QStringList &arguments)
{
    // The command must find its own way without a display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/glyphora-batch"), arguments);
}

}

void TestCommandLine::batchCommand_data()
{
    QTest::addColumn<QStringList>("arguments"); // "<csv>" and "<save>" stand for the test's paths
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a pattern for the whole standard output
    QTest::addColumn<QString>("err"); // text that standard error contains (Qt may add notices)

    const QString usage = QStringLiteral("用法：glyphora-batch");
    QTest::newRow("help") << QStringList{"--help"} << QByteArray() << 0
                          << ".*generate <CSV文件> <保存文件夹>.*--version.*" << "";
    QTest::newRow("version") << QStringList{"generate", "--version"} << QByteArray() << 0
                             << "glyphora-batch " GLYPHORA_VERSION "\n" << "";
    QTest::newRow("no command") << QStringList() << QByteArray() << 2 << "" << "错误：缺少命令\n\n" + usage;
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << QByteArray() << 2 << "" << "未知命令：frobnicate";
    QTest::newRow("missing argument") << QStringList{"generate", "<csv>"} << QByteArray() << 2 << ""
                                      << "命令 generate 需要 2 个参数：<CSV文件> <保存文件夹>";
    QTest::newRow("unknown option") << QStringList{"generate", "<csv>", "<save>", "--excel"} << QByteArray() << 2
                                    << "" << "未知选项：--excel";
    QTest::newRow("generate") << QStringList{"generate", "<csv>", "<save>"}
                              << QByteArray("名称,内容\n甲,hello\nb,\n") << 0
                              << "正在生成：甲\n正在生成：b\n成功：1 个， 错误：1 个，请在保存路径查看错误日志\n"
                                 "用时：[0-9.e+-]+ 秒\n操作完成\n"
                              << "";
    QTest::newRow("missing csv file") << QStringList{"generate", "<save>/none.csv", "<save>"} << QByteArray() << 1 << ""
                                      << "无法读取CSV文件：";
    QTest::newRow("warning") << QStringList{"generate", "<csv>", "<save>"} << QByteArray("\"open\n") << 1 << ""
                             << "请选择正确csv文件\n";
}

void TestCommandLine::batchCommand()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, csv);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir tmp;
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    const QString save = tmp.filePath(QStringLiteral("save"));
    QVERIFY(writeFile(csvPath, csv));
    arguments.replaceInStrings(QStringLiteral("<csv>"), csvPath);
    arguments.replaceInStrings(QStringLiteral("<save>"), save);

    QProcess process;
    startBatchCommand(process, arguments);
    QVERIFY(process.waitForFinished(60000));
    const QString standardOut = QString::fromUtf8(process.readAllStandardOutput());
    const QString standardErr = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out), QRegularExpression::DotMatchesEverythingOption)
                 .match(standardOut)
                 .hasMatch(),
             qPrintable(standardOut));
    QVERIFY2(standardErr.contains(err), qPrintable(standardErr));
    if (QTest::currentDataTag() == QLatin1String("generate"))
        QCOMPARE(decodeQrCode(save + QStringLiteral("/甲.png")), QStringLiteral("hello"));
}

void TestCommandLine::ctrlCStopsAfterTheCurrentRows()
{
    QTemporaryDir tmp;
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    const QString save = tmp.filePath(QStringLiteral("save"));
    const int total = 2000;
    QByteArray csv("h\n");
    for (int i = 1; i <= total; ++i)
        csv += "row" + QByteArray::number(i) + ",content\n";
    QVERIFY(writeFile(csvPath, csv));

    QProcess process;
    startBatchCommand(process, {QStringLiteral("generate"), csvPath, save});
    QByteArray out;
    while (!out.contains("正在生成：row3\n") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    QVERIFY(out.contains("正在生成：row3\n"));
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(60000));
    out += process.readAllStandardOutput();

    QCOMPARE(process.exitCode(), 130);
    QVERIFY(process.readAllStandardError().contains("已中断"));
    const int done = QString::fromUtf8(out).count(QStringLiteral("正在生成："));
    QVERIFY2(done >= 3 && done < total, qPrintable(QString::number(done)));
    QVERIFY(out.contains(QStringLiteral("成功：%1 个\n").arg(done).toUtf8()));
    // No half-written picture is left beside the finished ones.
    QCOMPARE(QDir(save).entryList(QDir::Files).size(), done);
    QCOMPARE(pictureNames(save).size(), done);
}

void TestCommandLine::printer_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QStringList>("reports"); // "type|message"
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("exitCode");

    const QStringList run{"progress|正在生成：a<b", "count|1/2", "progress|正在生成：", "count|2/2", "success|成功：2 个",
                          "runtime|用时：0.5 秒", "progress|<div style='color:green'>操作完成</div>"};
    const QByteArray lines("正在生成：a<b\n正在生成：\n成功：2 个\n用时：0.5 秒\n操作完成\n");
    QTest::newRow("not a terminal") << false << run << lines << QByteArray() << 0;
    QTest::newRow("terminal")
        << true << run
        << QByteArray("正在生成：a<b\n\r[###############...............] 1/2\r\033[K正在生成：\n"
                      "\r[##############################] 2/2\r\033[K成功：2 个\n用时：0.5 秒\n操作完成\n")
        << QByteArray() << 0;
    QTest::newRow("warning and notice") << false << QStringList{"notice|缓存目录", "warning|请选择正确csv文件", "other|x"}
                                        << QByteArray() << QByteArray("缓存目录\n请选择正确csv文件\n") << 1;
}

void TestCommandLine::printer()
{
    QFETCH(bool, terminal);
    QFETCH(QStringList, reports);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, exitCode);
    FILE *outFile = tmpfile();
    FILE *errFile = tmpfile();
    QVERIFY(outFile && errFile);
    ReportPrinter printer(outFile, errFile, terminal);
    for (const QString &report : reports)
        printer.print(report.section(QLatin1Char('|'), 0, 0), report.section(QLatin1Char('|'), 1));
    const auto contents = [](FILE *file) {
        QFile read;
        read.open(file, QIODevice::ReadOnly);
        read.seek(0);
        return read.readAll();
    };
    QCOMPARE(contents(outFile), out);
    QCOMPARE(contents(errFile), err);
    QCOMPARE(printer.exitCode(), exitCode);
    fclose(outFile);
    fclose(errFile);
}

int runCommandLineTests(int argc, char **argv)
{
    TestCommandLine tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_command_line.moc"
