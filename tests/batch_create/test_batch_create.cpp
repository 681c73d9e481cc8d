#include "app/worker_thread.h"
#include "batch_create/batch_create.h"
#include "batch_create/cell_text.h"
#include "batch_create/csv_create.h"
#include "batch_create/csv_reader.h"
#include "batch_create/row_reader.h"
#include "batch_create/safe_output_path.h"
#include "common/input_limits.h"
#include "gif/gif_image.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <csignal>
#include <sys/types.h>

using CsvTable = QVector<QStringList>;
Q_DECLARE_METATYPE(CsvTable)

namespace {

// Runs a worker on its own thread as the page does, and returns its reports as "type|message",
// the elapsed time replaced by "*".
QStringList runGeneration(const QString &csvPath, const QString &savePath, const QString &styleType, int jobs = 0,
                          const QString &sheet = QString())
{
    QStringList reports;
    auto *worker = new BatchCreate;
    worker->setJobs(jobs);
    worker->setSheet(sheet);
    QPointer<QThread> thread = moveToWorkerThread(worker);
    QObject::connect(worker, &BatchCreate::returnResult, worker,
                     [&reports](const QString &type, const QString &message) { reports << type + '|' + message; },
                     Qt::DirectConnection);
    QObject::connect(thread, &QThread::started, worker, [=] { worker->batchStart(csvPath, savePath, styleType); });
    thread->start();
    if (!QTest::qWaitFor([&thread] { return thread.isNull(); }, 60000))
        return {QStringLiteral("thread still running")};
    reports.replaceInStrings(QRegularExpression(QStringLiteral("^runtime\\|用时：[0-9.e+-]+ 秒$")), QStringLiteral("runtime|*"));
    return reports;
}

// The reports of a run that reaches the rows of these first fields, each failing
// for its reason or, without one, written into "<save>". An empty name stands for
// its row number, counted as if no blank line came before.
QStringList reportsOf(const QStringList &names, const QStringList &reasons = {})
{
    QStringList reports;
    int failed = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString item = names.at(i).isEmpty() ? QString::number(i + 1) : names.at(i);
        const QString reason = reasons.value(i);
        failed += reason.isEmpty() ? 0 : 1;
        reports << "progress|<span>正在生成：" + names.at(i).toHtmlEscaped() + "</span>"
                << (reason.isEmpty() ? "succeeded|<save>/" + item + ".png\n" + item : "failed|" + reason + '\n' + item)
                << QStringLiteral("count|%1/%2").arg(i + 1).arg(names.size());
    }
    const int ok = names.size() - failed;
    const QString summary = failed ? QStringLiteral("成功：%1 个， 错误：%2 个，请在保存路径查看错误日志").arg(ok).arg(failed)
                                   : QStringLiteral("成功：%1 个").arg(ok);
    return reports << "success|" + summary << QStringLiteral("runtime|*")
                   << QStringLiteral("progress|<div style='color:green'>操作完成</div>");
}

QStringList pictureNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files | QDir::NoSymLinks, QDir::Name);
}

// A file beside the save folder that links in it lead to.
const QString outsideEntry = QStringLiteral("../../outside.txt=keep");

// Light enough to read as light under a decoder's threshold, as a real logo should.
const QRgb green = qRgb(160, 240, 160);

// A widget of the page's form by its row.
template <class W> W *cell(QWidget *page, int row)
{
    static const char *const names[] = {"csvPathEdit", "savePathEdit", "csvCreateBtn", "resultLabel",
                                        "runtimeLabel", "progressLabel", "progressBar"};
    return page->findChild<W *>(QLatin1String(names[row]));
}

void fill(QWidget *page, const QString &csvPath, const QString &savePath)
{
    cell<QLineEdit>(page, 0)->setText(csvPath);
    cell<QLineEdit>(page, 1)->setText(savePath);
}

}

class TestBatchCreate : public QObject
{
    Q_OBJECT

private slots:
    void readCsv_data();
    void readCsv();
    void cellText_data();
    void cellText();
    void readWorkbook_data();
    void readWorkbook();
    void run_data();
    void run();
    void sameFileKeys_data();
    void sameFileKeys();
    void pageChecks_data();
    void pageChecks();
    void closingThePageDuringARun_data();
    void closingThePageDuringARun();
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void resumeAfterKill();

private:
    QTemporaryDir pictures;
};

void TestBatchCreate::readCsv_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: the path is a folder
    QTest::addColumn<CsvTable>("table");   // a last row "!<status>" when the file is refused
    QTest::newRow("empty") << QByteArray("") << CsvTable{};
    QTest::newRow("byte-order mark alone") << QByteArray("\xEF\xBB\xBF") << CsvTable{};
    QTest::newRow("no final line break") << QByteArray("a,b") << CsvTable{{"a", "b"}};
    QTest::newRow("crlf") << QByteArray("a,b\r\nc\r\n") << CsvTable{{"a", "b"}, {"c"}};
    QTest::newRow("cr line ends") << QByteArray("a,b\rc\r") << CsvTable{{"a", "b"}, {"c"}};
    QTest::newRow("cr, lf and crlf mixed") << QByteArray("a\rb\nc\r\nd") << CsvTable{{"a"}, {"b"}, {"c"}, {"d"}};
    QTest::newRow("quoted lone cr kept") << QByteArray("\"a\rb\"\r") << CsvTable{{"a\rb"}};
    QTest::newRow("two final line breaks") << QByteArray("a,b\n\n") << CsvTable{{"a", "b"}, {""}};
    QTest::newRow("quoted comma") << QByteArray("\"x,y\",z\n") << CsvTable{{"x,y", "z"}};
    QTest::newRow("doubled quote first") << QByteArray("\"a\"\"b\",c\n") << CsvTable{{"a\"b", "c"}};
    QTest::newRow("quoted line break") << QByteArray("\"1\r\n2\",3\n") << CsvTable{{"1\n2", "3"}};
    QTest::newRow("unclosed quote") << QByteArray("h\na,\"b\nc,d") << CsvTable{{"h"}};
    QTest::newRow("trailing comma") << QByteArray("a,\n") << CsvTable{{"a", ""}};
    const QString text = QStringLiteral("名称,内容\n");
    const CsvTable table{{QStringLiteral("名称"), QStringLiteral("内容")}};
    QTest::newRow("utf-8 with bom") << "\xEF\xBB\xBF" + text.toUtf8() << table;
    QTest::newRow("gb18030") << QTextCodec::codecForName("GB18030")->fromUnicode(text) << table;
    // Read in chunks of 64 KiB: a CR LF, a character and a doubled quote cut by chunk ends.
    const QByteArray x(65535, 'x'), y(65534, 'y'), z(65531, 'z');
    QTest::newRow("across chunks") << x + "\r\n" + y + "中,\"" + z + "\"\"\"\n" + text.toUtf8()
                                   << CsvTable{{x}, {y + QStringLiteral("中"), z + '"'}, table.first()};
    QTest::newRow("unreadable") << QByteArray() << CsvTable{{"!2"}};
    QTest::newRow("fifo") << QByteArray("<fifo>") << CsvTable{{"!2"}};
    QTest::newRow("not text") << QByteArray("h\na,1\n\0", 7) << CsvTable{{"!3"}};
    // UTF-8 cut in the middle of its last character is no UTF-8; these bytes are GB18030.
    QTest::newRow("last character cut") << QByteArray("a,\xE4\xB8")
                                        << CsvTable{{"a", QTextCodec::codecForName("GB18030")->toUnicode("\xE4\xB8")}};
}

void TestBatchCreate::readCsv()
{
    QFETCH(QByteArray, bytes);
    QFETCH(CsvTable, table);
    QTemporaryDir tmp;
    const QString path = bytes.isNull() ? tmp.path() : tmp.filePath(QStringLiteral("data.csv"));
    if (bytes == "<fifo>")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0); // never written: reading it would wait for ever
    else
        QVERIFY(bytes.isNull() || writeFile(path, bytes));
    CsvReader reader(path);
    CsvTable rows;
    for (QStringList row; reader.readRow(row);)
        rows << row;
    if (reader.status() != CsvReader::Finished)
        rows = {{QStringLiteral("!%1").arg(reader.status())}};
    QCOMPARE(rows, table);
    // A second pass gives the same rows.
    reader.rewind();
    QStringList first;
    const bool read = reader.readRow(first);
    QCOMPARE(first, read ? table.first() : QStringList());
    QCOMPARE(read, reader.status() == CsvReader::Reading);
}

void TestBatchCreate::cellText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("format"); // a format code, or "#<id>" for a built-in one
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QString>("shown");
    QTest::newRow("13 digits") << "6901234567892" << "General" << false << "6901234567892";
    QTest::newRow("13 digits with exponent") << "6.901234567892E+12" << "General" << false << "6901234567892";
    QTest::newRow("18 digits as a number") << "1.10105199003071E+17" << "General" << false << "110105199003071000";
    QTest::newRow("18 digits kept as stored") << "110105199003071234" << "General" << false << "110105199003071234";
    QTest::newRow("fifteen significant digits") << "0.30000000000000004" << "General" << false << "0.3";
    QTest::newRow("zero padding") << "123" << "000000" << false << "000123";
    QTest::newRow("zero padding, negative") << "-5" << "000" << false << "-005";
    QTest::newRow("built-in 0") << "12" << "#1" << false << "12";
    QTest::newRow("date") << "45356" << "yyyy/m/d" << false << "2024-03-05";
    QTest::newRow("date in Chinese") << "45356" << "[$-804]yyyy\"年\"m\"月\"d\"日\"" << false << "2024-03-05";
    QTest::newRow("built-in CJK date") << "45356" << "#31" << false << "2024-03-05";
    QTest::newRow("date and time") << "45356.6041666667" << "yyyy-mm-dd hh:mm" << false << "2024-03-05 14:30";
    QTest::newRow("time") << "0.6041666667" << "h:mm AM/PM" << false << "14:30";
    QTest::newRow("last minute of a day") << "45356.99999999" << "yyyy-mm-dd hh:mm" << false << "2024-03-06 00:00";
    // 1900 is taken as a leap year by spreadsheets: day 60 is its 29 February.
    QTest::newRow("before the false leap day") << "59" << "#14" << false << "1900-02-28";
    QTest::newRow("after the false leap day") << "61" << "#14" << false << "1900-03-01";
    QTest::newRow("1904 workbook") << "0" << "yyyy-mm-dd" << true << "1904-01-01";
    QTest::newRow("text") << "abc" << "yyyy-mm-dd" << false << "abc";
}

void TestBatchCreate::cellText()
{
    QFETCH(QString, stored);
    QFETCH(QString, format);
    QFETCH(bool, date1904);
    QFETCH(QString, shown);
    const CellFormat cellFormat = format.startsWith('#') ? builtInCellFormat(format.mid(1).toInt()) : cellFormatOfCode(format);
    QCOMPARE(cellNumberText(stored, cellFormat, date1904), shown);
}

void TestBatchCreate::readWorkbook_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<CsvTable>("table"); // {{"!", reason}} when the workbook is refused
    // Digits as digits, dates as formatted, the merged area's value once, no trailing empty row.
    const CsvTable rows{{"名称", "内容"}, {"共享", "中文内容：你好世界"}, {"日本語", "こんにちは、世界"},
                        {"emoji", "😀🎉 OK"}, {"身份证", "110105199003071234"}, {"EAN", "6901234567892"},
                        {"日期", "2024-03-05"}, {"时间", "2024-03-05 14:30"}, {"公式", "6901234567893"},
                        {"合并", "合并单元格"}, {"下一行"}, {"小数", "3.14"}, {"前导零", "000123"}, {""}};
    CsvTable noCache = rows;
    noCache[8] = QStringList{"公式"}; // openpyxl stores no cached value
    const CsvTable other{{"名称", "内容"}, {"另一表", "第二张表的内容"}};
    QTest::newRow("openpyxl, hidden first sheet passed over") << "openpyxl.xlsx" << "" << noCache;
    QTest::newRow("libreoffice, shared strings") << "libreoffice.xlsx" << "" << rows;
    QTest::newRow("xls, hidden first sheet passed over") << "workbook.xls" << "" << rows;
    // Every kind of formula result, the same in both formats.
    const CsvTable formulas{{"名称", "内容"}, {"文字", "码A1"},
                            {"长文字", QString("码").repeated(3000) + QString("a").repeated(6000) + "尾"},
                            {"真", "TRUE"}, {"假", "FALSE"}, {"错误", "#DIV/0!"}, {"无值", "#N/A"}, {"空文字"},
                            {"零填充", "00042", "00007"}, {"公式零填充", "00084"}, {"日期", "2024-03-05"}};
    QTest::newRow("xlsx formula results") << "formulas.xlsx" << "" << formulas;
    QTest::newRow("xls formula results") << "formulas.xls" << "" << formulas;
    // Text kept under a merged area of two rows and columns is not read, only its top-left cell;
    // Excel's escapes read as the characters they stand for.
    const CsvTable merged{{"名称", "内容"}, {"横向", "左上"}, {"下面"}, {"转义", "甲\r乙 _x0041_"}};
    QTest::newRow("xlsx merged area") << "merged.xlsx" << "" << merged;
    QTest::newRow("xls merged area") << "merged.xls" << "" << merged;
    QTest::newRow("xlsx sheet by name") << "libreoffice.xlsx" << "其他" << other;
    QTest::newRow("xls sheet by name") << "workbook.xls" << "其他" << other;
    QTest::newRow("unknown sheet") << "libreoffice.xlsx" << "没有" << CsvTable{{"!", "没有名为“没有”的工作表；工作簿中的工作表：隐藏、名单、其他"}};
    QTest::newRow("unknown xls sheet") << "workbook.xls" << "没有" << CsvTable{{"!", "工作簿中的工作表：隐藏、名单、其他"}};
    QTest::newRow("renamed csv") << "renamed_csv.xlsx" << "" << CsvTable{{"!", "文件内容不是Excel工作簿"}};
    QTest::newRow("truncated") << "truncated.xlsx" << "" << CsvTable{{"!", "损坏"}};
    QTest::newRow("corrupted sheet") << "corrupted.xlsx" << "" << CsvTable{{"!", "损坏"}};
    QTest::newRow("encrypted") << "encrypted.xlsx" << "" << CsvTable{{"!", "工作簿设有密码"}};
    QTest::newRow("truncated xls") << "truncated.xls" << "" << CsvTable{{"!", "损坏"}};
    // FreeXL stops at the record without a word and has no sheet then.
    QTest::newRow("xls record cut short") << "cut_record.xls" << "" << CsvTable{{"!", "损坏"}};
    // FreeXL would write past its memory for it.
    QTest::newRow("xls sheet larger than the format") << "oversized_sheet.xls" << "" << CsvTable{{"!", "损坏"}};
    // Every sheet hidden but a chart sheet: nothing to read unless a hidden sheet is named.
    QTest::newRow("xls without a visible worksheet") << "sheet_states.xls" << "" << CsvTable{{"!", "没有可见的工作表"}};
    QTest::newRow("xls chart sheet") << "sheet_states.xls" << "其他" << CsvTable{{"!", "工作表“其他”不是数据表"}};
    QTest::newRow("xls hidden sheet by name") << "sheet_states.xls" << "名单" << rows;
}

void TestBatchCreate::readWorkbook()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(CsvTable, table);
    const std::unique_ptr<RowReader> reader = openRowReader(QStringLiteral(GLYPHORA_TEST_DATA "/workbooks/") + file, sheet);
    CsvTable rows;
    for (QStringList row; reader->readRow(row);)
        rows << row;
    if (table.first().first() == QLatin1String("!")) {
        QCOMPARE(reader->status(), RowReader::Unreadable);
        QVERIFY2(reader->problem().contains(table.first().last()), qPrintable(reader->problem()));
        return;
    }
    QCOMPARE(reader->status(), RowReader::Finished);
    QCOMPARE(rows, table);

    // Each data row's picture holds exactly its cell's text, read back by another decoder;
    // rows without content or with more than a code holds, the merged area's lower cell and
    // trailing empty rows draw none.
    QTemporaryDir tmp;
    runGeneration(QStringLiteral(GLYPHORA_TEST_DATA "/workbooks/") + file, tmp.path(), QStringLiteral("qrcustom"), 0, sheet);
    QStringList names;
    for (const QStringList &row : table.mid(1)) {
        if (row.value(1).isEmpty() || !contentLengthAllowed(row.at(1)))
            continue;
        names << row.first() + QStringLiteral(".png");
        QCOMPARE(decodeQrCode(tmp.filePath(names.last())), row.at(1));
    }
    names.sort();
    QCOMPARE(pictureNames(tmp.path()), names);
}

void TestBatchCreate::run_data()
{
    QTest::addColumn<QByteArray>("csv"); // "<tmp>" stands for the test's folder
    QTest::addColumn<int>("sizeLimit");  // bytes a file may grow to, -1 for no limit
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QStringList>("pictures"); // "file=content", sorted
    QTest::addColumn<QString>("log");          // empty: no log is left
    // In the save folder beforehand: "file=content", "folder/", "link->target", "hard link=>target", "file=<csv>" for
    // the CSV itself, or "file=<pipe>", "file=<pipe with a reader>", "file=<device>" (the null device).
    QTest::addColumn<QStringList>("existing");

    const QString tooLong(3000, 'x');
    const QString huge(3'000'000, '7');
    const QStringList none;
    const QString tooLongReason = QStringLiteral("内容过长，二维码容纳不下");
    const QString empty = QStringLiteral("内容为空");
    const QString unsafe = QStringLiteral("名称含有不能用于文件名的字符");
    const QString outside = QStringLiteral("名称指向保存文件夹以外的位置");
    const QString longName(240, QChar(0x7801)); // 720 bytes in UTF-8
    QTest::newRow("name too long for a file") << ("h\n" + longName + ",1\n").toUtf8() << -1
                                              << reportsOf({longName}, {"名称过长，不能用作文件名"}) << none
                                              << "h\n" + longName + ",1\n" << none;
    QTest::newRow("header only") << QByteArray("名称,内容\n") << -1 << reportsOf({}) << none << "" << none;
    QTest::newRow("unclosed quote") << QByteArray("\"a,b\nc,d\n") << -1 << QStringList{"warning|请选择正确csv文件"}
                                    << none << "" << none;
    QTest::newRow("not text") << QByteArray("h\na,1\n\0", 7) << -1
                              << QStringList{"warning|<span>不是文本文件，无法作为CSV文件读取：<br><tmp>/data.csv</span>"} << none << ""
                              << none;
    QTest::newRow("empty file") << QByteArray("") << -1
                                << QStringList{"warning|<span>无法读取CSV文件：<br><tmp>/data.csv（文件是空的）</span>"} << none << ""
                                << none;
    QTest::newRow("blank lines only") << QByteArray("\r\n\n\r") << -1
                                      << QStringList{"warning|<span>无法读取CSV文件：<br><tmp>/data.csv（文件是空的）</span>"} << none
                                      << "" << none;
    QTest::newRow("cr line ends") << QByteArray("name,content\ra,hello\rb,world") << -1 << reportsOf({"a", "b"})
                                  << QStringList{"a.png=hello", "b.png=world"} << "" << none;
    QTest::newRow("two rows") << QByteArray("name,content\na,hello\nb,world\n") << -1 << reportsOf({"a", "b"})
                              << QStringList{"a.png=hello", "b.png=world"} << "" << none;
    QTest::newRow("empty name") << QByteArray("h\na,x\n,y\n") << -1 << reportsOf({"a", ""}).replaceInStrings("正在生成：</span>", "正在生成：第 2 行数据（名称为空，保存为 2.png）</span>")
                                << QStringList{"2.png=y", "a.png=x"} << "" << none;
    QTest::newRow("too long, extra fields") << ("h\nlong," + tooLong + ",extra\nc,two,more\n").toUtf8() << -1
                                            << reportsOf({"long", "c"}, {tooLongReason}) << QStringList{"c.png=two"}
                                            << "h\nlong," + tooLong + ",extra\n" << none;
    QTest::newRow("content no code holds") << ("h\nbig," + huge + "\n").toUtf8() << -1 << reportsOf({"big"}, {tooLongReason}) << none
                                           << "h\nbig," + huge + '\n' << none;
    QTest::newRow("unwritable picture") << QByteArray("h\nfolder,x\nb,y\n") << -1 << reportsOf({"folder", "b"}, {"保存文件夹中已有同名的文件夹或其他非普通文件"})
                                        << QStringList{"b.png=y"} << "h\nfolder,x\n" << QStringList{"folder.png/"};
    QTest::newRow("no content, blank line") << QByteArray("h\na,\nb\n\nc,ok\n") << -1 << reportsOf({"a", "b", "c"}, {empty, empty})
                                            << QStringList{"c.png=ok"} << "h\na,\nb\n" << none;
    QTest::newRow("unsafe names") << QByteArray("h\n../x,1\n<tmp>/x,1\na/b,1\n.,1\n..,1\nt\tab,1\n\x1b[2Jx,1\n\"c\rr\",1\nok,1\n")
                                  << -1 << reportsOf({"../x", "<tmp>/x", "a/b", ".", "..", "t\tab", "\x1b[2Jx", "c\rr", "ok"},
                                                     QVector<QString>(8, unsafe).toList())
                                  << QStringList{"ok.png=1"}
                                  << "h\n../x,1\n<tmp>/x,1\na/b,1\n.,1\n..,1\nt\tab,1\n\x1b[2Jx,1\n\"c\rr\",1\n" << none;
    QTest::newRow("markup in a name") << QByteArray("h\n<h1>&amp;,1\n") << -1 << reportsOf({"<h1>&amp;"})
                                      << QStringList{"<h1>&amp;.png=1"} << "" << none;
    QTest::newRow("same name twice") << QByteArray("h\na,first\na,second\n") << -1 << reportsOf({"a", "a"}, {"", "名称重复"})
                                     << QStringList{"a.png=first"} << "h\na,second\n" << none;
    QTest::newRow("log quoting") << QByteArray("\"x,y\"\n\"a,b\",\n\"say \"\"hi\"\"\"\n\"x\ny\"\nplain,\n") << -1
                                 << reportsOf({"a,b", "say \"hi\"", "x\ny", "plain"}, {empty, empty, empty, empty}) << none
                                 << "\"x,y\"\n\"a,b\",\n\"say \"\"hi\"\"\"\n\"x\ny\"\nplain,\n" << none;
    QTest::newRow("log appended") << QByteArray("h\nnew,\n") << -1 << reportsOf({"new"}, {empty}) << none
                                  << "old,line\nnew,\n" << QStringList{"error_log.txt=old,line\n"};
    QTest::newRow("earlier log kept") << QByteArray("h\na,1\n") << -1 << reportsOf({"a"}) << QStringList{"a.png=1"}
                                      << "old\n" << QStringList{"error_log.txt=old\n"};
    QTest::newRow("links out of the folder") << QByteArray("h\nlink,1\nchain,2\ninner,3\n") << -1
                                             << reportsOf({"link", "chain", "inner"}, {outside, outside}) << QStringList{"real.png=3"}
                                             << "h\nlink,1\nchain,2\n"
                                             << QStringList{outsideEntry, "link.png-><tmp>/outside.txt",
                                                            "chain.png->chain2.png", "chain2.png-><tmp>/gone.png",
                                                            "inner.png->real.png"};
    QTest::newRow("log linked out") << QByteArray("h\nx,\n") << -1
                                    << QStringList{"warning|错误日志写入失败，请检查保存文件夹权限"} << none << "keep"
                                    << QStringList{outsideEntry, "error_log.txt-><tmp>/outside.txt"};
    // Named pipes (one with a reader, so that a writer could open it) and a device node are no log.
    for (const QString node : {"<pipe>", "<pipe with a reader>", "<device>"})
        QTest::newRow(qPrintable("log is a " + node.mid(1).chopped(1))) << QByteArray("h\nx,\n") << -1
            << QStringList{"warning|错误日志写入失败，请检查保存文件夹权限"} << none << "" << QStringList{"error_log.txt=" + node};
    QTest::newRow("hard-linked pictures") << QByteArray("h\nlinked,1\nok,2\n") << -1 << reportsOf({"linked", "ok"}, {"同名图片另有其他名称（硬链接），不能覆盖"})
                                          << QStringList{"linked.png=", "ok.png=2"} << "h\nlinked,1\n"
                                          << QStringList{outsideEntry, "linked.png=><tmp>/outside.txt"};
    QTest::newRow("log hard-linked")
        << QByteArray("h\nx,\n") << -1
        << QStringList{"warning|保存文件夹中的 error_log.txt 另有其他名称（硬链接），写入它会改动别处的文件，请删除它或换一个保存文件夹"}
        << none << "keep" << QStringList{outsideEntry, "error_log.txt=><tmp>/outside.txt"};
    QTest::newRow("input file as output") << QByteArray("h\nlist,1\nok,2\n") << -1 << reportsOf({"list", "ok"}, {"会覆盖本次的输入文件"})
                                          << QStringList{"list.png=", "ok.png=2"} << "h\nlist,1\n"
                                          << QStringList{"list.png=<csv>"};
    QTest::newRow("error log as input") << QByteArray("h\nx,1\n") << -1
                                        << QStringList{"warning|保存文件夹中的 error_log.txt 是本次的输入文件，"
                                                       "请把它另存为其他文件，或换一个保存文件夹"}
                                        << none << "h\nx,1\n" << QStringList{"error_log.txt=<csv>"};
    const QByteArray longLine = "h\na/b," + QByteArray(200, 'c') + '\n';
    const QStringList cutShort{"progress|<span>正在生成：a/b</span>", "warning|保存文件写入失败，请检查文件夹权限"};
    QTest::newRow("log line past a size limit") << longLine << 100 << cutShort << none << "" << none;
    // A picture that the disk cannot take ends the run: every later row would fail the same way.
    QTest::newRow("picture past a size limit") << QByteArray("h\na,1\nb,2\n") << 600
                                               << QStringList{"progress|<span>正在生成：a</span>", cutShort.last()} << none << ""
                                               << none;
    QTest::newRow("size limit, earlier log") << longLine << 100 << cutShort << none << "old\n"
                                             << QStringList{"error_log.txt=old\n"};

    // Rows are drawn in parallel; failures of both kinds are mixed in to check the report order.
    QByteArray csv("h\n");
    QStringList names, pictures, reasons;
    QString log("h\n");
    for (int i = 1; i <= 40; ++i) {
        const QString name = QStringLiteral("row%1").arg(i);
        const QString content = i % 3 == 0 ? QString() : i % 7 == 0 ? tooLong : "content " + name;
        csv += (name + ',' + content + '\n').toUtf8();
        names << name;
        reasons << (i % 3 == 0 ? empty : i % 7 == 0 ? tooLongReason : QString());
        if (i % 3 == 0 || i % 7 == 0)
            log += name + ',' + content + '\n';
        else
            pictures << name + ".png=" + content;
    }
    pictures.sort();
    QTest::newRow("parallel") << csv << -1 << reportsOf(names, reasons) << pictures << log
                              << none;
}

void TestBatchCreate::run()
{
    QFETCH(QByteArray, csv);
    QFETCH(int, sizeLimit);
    QFETCH(QStringList, reports);
    QFETCH(QStringList, pictures);
    QFETCH(QString, log);
    QFETCH(QStringList, existing);
    QTemporaryDir tmp;
    QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    const QString save = tmp.filePath(QStringLiteral("out/codes"));
    csv.replace("<tmp>", tmp.path().toUtf8());
    QVERIFY(QDir().mkpath(save));
    int pipeReader = -1;
    const auto closeReader = qScopeGuard([&pipeReader] {
        if (pipeReader >= 0)
            ::close(pipeReader);
    });
    for (const QString &entry : existing.replaceInStrings(QStringLiteral("<tmp>"), tmp.path())) {
        const QString path = save + '/' + entry.section(QRegularExpression(QStringLiteral("=|->")), 0, 0);
        const QByteArray node = QFile::encodeName(path);
        if (entry.contains(QLatin1String("=<pipe"))) {
            QVERIFY(::mkfifo(node.constData(), 0666) == 0);
            if (entry.endsWith(QLatin1String("reader>")))
                QVERIFY((pipeReader = ::open(node.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) >= 0);
            continue;
        }
        if (entry.endsWith(QLatin1String("=<device>"))) {
            if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                QSKIP("making a device node needs root");
            continue;
        }
        csvPath = entry.endsWith(QLatin1String("=<csv>")) ? path : csvPath;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (entry.contains("=>"))
            QCOMPARE(::link(QFile::encodeName(entry.section("=>", 1)).constData(), QFile::encodeName(path).constData()), 0);
        else
            QVERIFY(entry.contains("->") ? QFile::link(entry.section("->", 1), path)
                                         : path.endsWith('/') || writeFile(path, entry.section('=', 1).toUtf8()));
    }
    QVERIFY(writeFile(csvPath, csv));

    QStringList result;
    const auto generate = [&] { result = runGeneration(csvPath, save, QStringLiteral("qrcustom")); return true; };
    QVERIFY(sizeLimit < 0 ? generate() : withFileSizeLimit(sizeLimit, generate));
    reports.replaceInStrings(QStringLiteral("<save>"), save);
    QCOMPARE(result, reports.replaceInStrings(QRegularExpression(QStringLiteral("<tmp>|&lt;tmp&gt;")), tmp.path()));
    QStringList names;
    for (const QString &picture : pictures) {
        names << picture.section('=', 0, 0);
        QCOMPARE(decodeQrCode(save + '/' + names.last()), picture.section('=', 1));
    }
    QCOMPARE(pictureNames(save), names);
    QVERIFY(pictureNames(tmp.path()).isEmpty() && pictureNames(tmp.filePath(QStringLiteral("out"))).isEmpty());
    const QString logPath = save + QStringLiteral("/error_log.txt");
    QCOMPARE(QFileInfo(logPath).isFile(), !log.isEmpty());
    // A pipe or device left in the log's place is not read: nothing was written into it.
    if (QFileInfo(logPath).isFile() || !QFileInfo::exists(logPath))
        QCOMPARE(readFile(logPath), log.replace(QStringLiteral("<tmp>"), tmp.path()).toUtf8());
    char byte;
    QVERIFY(pipeReader < 0 || ::read(pipeReader, &byte, 1) == 0);
    // Input files and files outside the save folder are never written.
    QCOMPARE(readFile(csvPath), csv);
    QCOMPARE(readFile(tmp.filePath(QStringLiteral("outside.txt"))), QByteArray(existing.contains(outsideEntry) ? "keep" : ""));
    QVERIFY(!QFile::exists(tmp.filePath(QStringLiteral("gone.png"))));
    if (QTest::currentDataTag() != QLatin1String("parallel"))
        return;
    // One row at a time or more than the cores: the same reports and the same bytes in every file.
    const auto files = [&save] {
        QStringList contents;
        for (const QString &name : QDir(save).entryList(QDir::Files, QDir::Name))
            contents << name + '=' + readFile(save + '/' + name).toBase64();
        return contents;
    };
    const QStringList written = files();
    for (const int jobs : {1, 3}) {
        QVERIFY(QDir(save).removeRecursively() && QDir().mkpath(save));
        QCOMPARE(runGeneration(csvPath, save, QStringLiteral("qrcustom"), jobs), result);
        QCOMPARE(files(), written);
    }
}

// Two rows' files are one when the save folder says so: on a folder that ignores letter case, as exFAT
// and the Windows file systems do, "Alpha" and "alpha" are one file, and the second row a duplicate.
void TestBatchCreate::sameFileKeys_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("caseless");
    QTest::addColumn<bool>("same");
    QTest::newRow("letter case, caseless folder") << "/s/Alpha.png" << "/s/alpha.png" << true << true;
    QTest::newRow("letter case, ordinary folder") << "/s/Alpha.png" << "/s/alpha.png" << false << false;
    QTest::newRow("suffix case") << "/s/a.PNG" << "/s/a.png" << true << true;
    QTest::newRow("accented letters") << QStringLiteral("/s/Ärger.png") << QStringLiteral("/s/ärger.png") << true << true;
    QTest::newRow("Greek final sigma") << QStringLiteral("/s/ΟΔΟΣ.png") << QStringLiteral("/s/οδος.png") << true << true;
    QTest::newRow("different names") << "/s/alpha.png" << "/s/alpha2.png" << true << false;
}

void TestBatchCreate::sameFileKeys()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, caseless);
    QFETCH(bool, same);
    QCOMPARE(sameFileKey(first, caseless) == sameFileKey(second, caseless), same);
}

void TestBatchCreate::pageChecks_data()
{
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("message");
    QTest::newRow("save folder under a file") << "good.csv" << "bad.csv/save" << "保存文件夹不存在并且创建失败";
    QTest::newRow("worker warning") << "bad.csv" << "save" << "请选择正确csv文件";
    QTest::newRow("no such csv") << "none.csv" << "save" << "<span>无法读取CSV文件：<br><tmp>/none.csv</span>";
}

void TestBatchCreate::pageChecks()
{
    QFETCH(QString, csv);
    QFETCH(QString, save);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("bad.csv")), "\"never closed\n"));
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("good.csv")), "h\na,1\n"));
    CsvCreate page;
    fill(&page, csv.isEmpty() ? csv : tmp.filePath(csv), save.isEmpty() ? save : tmp.filePath(save));
    QStringList texts;
    QTimer closer; // closes every message box as soon as it shows
    connect(&closer, &QTimer::timeout, [&texts] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    closer.start(10);
    cell<QPushButton>(&page, 2)->click();
    QTRY_COMPARE_WITH_TIMEOUT(texts, QStringList{message.replace("<tmp>", tmp.path())}, 30000);
    QVERIFY(cell<QPushButton>(&page, 2)->isEnabled());
    // The save folder is made only for inputs that are accepted.
    QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("save"))));
}

void TestBatchCreate::closingThePageDuringARun_data()
{
    QTest::addColumn<QByteArray>("earlierLog");
    QTest::newRow("new log") << QByteArray("h\n");
    QTest::newRow("earlier log") << QByteArray("old\n");
}

void TestBatchCreate::closingThePageDuringARun()
{
    QFETCH(QByteArray, earlierLog);
    QTemporaryDir tmp;
    QByteArray csv("h\nrow0,\n");
    for (int i = 1; i <= 200; ++i)
        csv += "row" + QByteArray::number(i) + ",content\n";
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("data.csv")), csv));
    QVERIFY(earlierLog == "h\n" || writeFile(tmp.filePath(QStringLiteral("error_log.txt")), earlierLog));
    auto *page = new CsvCreate;
    fill(page, tmp.filePath(QStringLiteral("data.csv")), tmp.path());
    cell<QPushButton>(page, 2)->click();
    QTRY_VERIFY_WITH_TIMEOUT(cell<QProgressBar>(page, 6)->value() > 0, 30000);
    delete page;
    // The run stops with the page: nothing is drawn afterwards, and the log keeps its lines.
    const int written = pictureNames(tmp.path()).size();
    QTest::qWait(200);
    QCOMPARE(pictureNames(tmp.path()).size(), written);
    QCOMPARE(readFile(tmp.filePath(QStringLiteral("error_log.txt"))), earlierLog + "row0,\n");
}

// glyphora-batch generate, run as a user would.
void TestBatchCreate::initTestCase()
{
    const auto solid = [](QSize size, QRgb colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    };
    QVERIFY(solid(QSize(40, 40), green).save(pictures.filePath(QStringLiteral("logo.png"))));
    QVERIFY(solid(QSize(800, 700), qRgb(255, 250, 220)).save(pictures.filePath(QStringLiteral("paper.jpg"))));
    GifImage gif(QSize(620, 640));
    for (int i = 0; i < 3; ++i)
        gif.addFrame(solid(QSize(620, 640), qRgb(255, 255 - 20 * i, 220)), QPoint(), 100);
    QVERIFY(gif.save(pictures.filePath(QStringLiteral("waves.gif"))));
    QVERIFY(writeFile(pictures.filePath(QStringLiteral("tiny.json")), R"({"imageSize": 50})"));
    QCOMPARE(mkfifo(QFile::encodeName(pictures.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    QVERIFY(writeFile(pictures.filePath(QStringLiteral("fifo-logo.json")), R"({"logoPath": "fifo"})"));
}

void TestBatchCreate::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // "<csv>", "<save>" and "<pictures>" stand for the test's paths
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");     // a pattern for the whole standard output
    QTest::addColumn<QString>("err");     // text that standard error contains
    QTest::addColumn<QString>("picture"); // the one file written, empty for none

    const QByteArray csv("名称,内容\n甲,hello\n");
    const QString done = QStringLiteral("正在生成：甲\n成功：1 个\n用时：[0-9.e+-]+ 秒\n操作完成\n");
    const QStringList generate{"generate", "<csv>", "<save>"};
    const QStringList paper{"--background", "<pictures>/paper.jpg"};
    QTest::newRow("help") << QStringList{"--help"} << csv << 0 << ".*generate <CSV或Excel文件> <保存文件夹>.*--version.*\n  3 .*130 .*"
                          << "" << "";
    QTest::newRow("usage error") << QStringList{"generate", "<csv>"} << csv << 2 << ""
                                 << "命令 generate 需要 2 个参数：<CSV或Excel文件> <保存文件夹>" << "";
    QTest::newRow("generate") << generate << csv << 0 << done << "" << "甲.png";
    QTest::newRow("warning") << generate << QByteArray("\"open\n") << 1 << "" << "请选择正确csv文件\n" << "";
    QTest::newRow("empty save path") << QStringList{"generate", "<csv>", ""} << csv << 1 << "" << "保存文件夹不存在并且创建失败"
                                     << "";
    QTest::newRow("failed row, escape codes") << generate << QByteArray("名称,内容\n\x1b[31m红,x\n甲,hello\n") << 3
                                              << "正在生成：\\\\x1B\\[31m红\n失败：\\\\x1B\\[31m红（名称含有不能用于文件名的字符）\n"
                                                 "正在生成：甲\n成功：1 个， 错误：1 个.*" << "" << "甲.png";
    // Data rows are counted from 0, the heading and blank lines left out.
    QTest::newRow("shard") << generate + QStringList{"--shard", "1/2"} << QByteArray("名称,内容\nx,1\n\n甲,hello\ny,2\n") << 0
                           << done << "" << "甲.png";
    QTest::newRow("shard out of range") << generate + QStringList{"--shard", "2/2"} << csv << 2 << "" << "--shard 应为 K/N"
                                        << "";
    // Each line is an object; "seconds" is checked to be a number and left out here.
    QTest::newRow("json, failures") << generate + QStringList{"--json"} << QByteArray("名称,内容\na/b,x\n甲,hello\n空,\n") << 3
                                    << R"({"name":"a/b","output":null,"reason":"名称含有不能用于文件名的字符","result":"failed","type":"item"})" "\n"
                                       R"({"name":"甲","output":"<save>/甲.png","reason":null,"result":"ok","type":"item"})" "\n"
                                       R"({"name":"空","output":null,"reason":"内容为空","result":"failed","type":"item"})" "\n"
                                       R"({"exitCode":3,"failed":2,"message":"成功：1 个， 错误：2 个，请在保存路径查看错误日志",)"
                                       R"("result":"failures","succeeded":1,"type":"summary"})" "\n"
                                    << "" << "甲.png";
    // Past the limit (in 512-byte blocks) a write fails as on a full disk: the program is not killed.
    QTest::newRow("file size limit") << QStringList{"<ulimit -f 1>"} + generate << "名称,内容\na/b," + QByteArray(600, 'c')
                                     << 1 << "正在生成：a/b\n" << "保存文件写入失败，请检查文件夹权限" << "";
    QTest::newRow("logo") << generate + QStringList{"--logo", "<pictures>/logo.png"} << csv << 0 << done << "" << "甲.png";
    QTest::newRow("still background") << generate + paper + QStringList{"--offset", "150,60"} << csv << 0 << done << ""
                                      << "甲.png";
    QTest::newRow("gif background") << generate + QStringList{"--background", "<pictures>/waves.gif", "--offset", "60,20"}
                                    << csv << 0 << done << "" << "甲.gif";
    QTest::newRow("malformed offset") << generate + paper + QStringList{"--offset", "15"} << csv << 2 << ""
                                      << "偏移应为两个整数" << "";
    QTest::newRow("offset without background") << generate + QStringList{"--offset", "1,2"} << csv << 2 << ""
                                               << "需要与 --background 一起使用" << "";
    QTest::newRow("style") << generate + QStringList{"--style", "print"} << csv << 0 << done << "" << "甲.png";
    QTest::newRow("style refused") << generate + QStringList{"--style", "<pictures>/tiny.json"} << csv << 2 << ""
                                   << "“imageSize” 应为 100 到 4000 之间的整数" << "";
    QTest::newRow("unknown style") << generate + QStringList{"--style", "plain"} << csv << 2 << ""
                                   << "没有名为 “plain” 的预置样式" << "";
    // Help and version stand before the command or among its options; "--" ends the options.
    QTest::newRow("-v as save folder") << QStringList{"generate", "<csv>", "<save>", "-v"} << csv << 2 << ""
                                       << "命令 generate 需要 2 个参数" << "";
    QTest::newRow("--help after --") << QStringList{"generate", "--", "<csv>", "<save>", "--help"} << csv << 2 << ""
                                     << "命令 generate 需要 2 个参数" << "";
    QTest::newRow("--version among options") << QStringList{"generate", "<csv>", "--version"} << csv << 0 << "glyphora-batch .*\n"
                                             << "" << "";
    QTest::newRow("-- before the arguments") << QStringList{"generate", "--", "<csv>", "<save>"} << csv << 0 << done << ""
                                             << "甲.png";
    QTest::newRow("empty csv") << generate << QByteArray() << 1 << "" << "（文件是空的）" << "";
    // A FIFO is never opened for reading, which would wait for a writer for ever.
    QTest::newRow("fifo logo") << generate + QStringList{"--logo", "<pictures>/fifo"} << csv << 1 << "" << "无法读取Logo图片"
                               << "";
    QTest::newRow("fifo background") << generate + QStringList{"--background", "<pictures>/fifo"} << csv << 1 << ""
                                     << "无法读取背景图片" << "";
    QTest::newRow("fifo style") << generate + QStringList{"--style", "<pictures>/fifo"} << csv << 2 << "" << "无法读取样式文件" << "";
    QTest::newRow("fifo logo in style") << generate + QStringList{"--style", "<pictures>/fifo-logo.json"} << csv << 1 << ""
                                        << "无法读取Logo图片" << "";
    // A 13-digit number cell comes out as the digits the user sees.
    QTest::newRow("workbook") << QStringList{"generate", "<data>/libreoffice.xlsx", "<save>", "--shard", "4/12"} << csv << 0
                              << "正在生成：EAN\n成功：1 个\n.*" << "" << "EAN.png";
    QTest::newRow("unknown sheet") << QStringList{"generate", "<data>/libreoffice.xlsx", "<save>", "--sheet", "无"} << csv << 1
                                   << "" << "工作簿中的工作表：隐藏、名单、其他" << "";
    const QStringList labels{"sheet", "<data>/libreoffice.xlsx", "<save>.pdf", "--layout", "A4-3x8"};
    QTest::newRow("label sheet of a workbook's sheet") << labels + QStringList{"--sheet", "其他"} << csv << 0
                                                       << "正在生成：另一表\n成功：1 个标签，1 页\n.*" << "" << "";
    QTest::newRow("label sheet, unknown sheet") << labels + QStringList{"--sheet", "无"} << csv << 1 << ""
                                                << "工作簿中的工作表：隐藏、名单、其他" << "";
    // A workbook that cannot be read ends the run before the save folder is made.
    QTest::newRow("damaged workbook") << QStringList{"generate", "<data>/truncated.xlsx", "<save>"} << csv << 1 << ""
                                      << "无法读取Excel工作簿" << "";
    QTest::newRow("encrypted workbook") << QStringList{"generate", "<data>/encrypted.xlsx", "<save>"} << csv << 1 << ""
                                        << "工作簿设有密码" << "";
    QTest::newRow("styles") << QStringList{"styles"} << csv << 0 << ".*default.*quiet.*rounded.*brand.*print.*" << ""
                            << "";
}

void TestBatchCreate::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, csv);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, picture);
    QTemporaryDir tmp;
    const QString save = tmp.filePath(QStringLiteral("save"));
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("data.csv")), csv));
    arguments.replaceInStrings(QStringLiteral("<csv>"), tmp.filePath(QStringLiteral("data.csv")));
    arguments.replaceInStrings(QStringLiteral("<save>"), save);
    arguments.replaceInStrings(QStringLiteral("<pictures>"), pictures.path());
    arguments.replaceInStrings(QStringLiteral("<data>"), QStringLiteral(GLYPHORA_TEST_DATA "/workbooks"));

    QProcess process;
    // The command must find its own way without a display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/glyphora-batch");
    if (arguments.first().startsWith(QLatin1String("<ulimit")))
        process.start("sh", QStringList{"-c", arguments.takeFirst().mid(1).chopped(1) + "; exec \"$0\" \"$@\"", program} + arguments);
    else
        process.start(program, arguments);
    QVERIFY(process.waitForFinished(60000));
    QString standardOut = QString::fromUtf8(process.readAllStandardOutput());
    if (arguments.contains(QStringLiteral("--json"))) {
        out = QRegularExpression::escape(out.replace(QStringLiteral("<save>"), save));
        QStringList lines = standardOut.split('\n');
        QCOMPARE(lines.takeLast(), QString());
        for (QString &line : lines) {
            QJsonParseError error;
            QJsonObject object = QJsonDocument::fromJson(line.toUtf8(), &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(line));
            QVERIFY(object.value(QStringLiteral("seconds")).toDouble(-1) >= 0);
            object.remove(QStringLiteral("seconds"));
            line = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
        }
        standardOut = lines.join('\n') + '\n';
    }
    const QString standardErr = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QRegularExpression whole(QRegularExpression::anchoredPattern(out), QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(whole.match(standardOut).hasMatch(), qPrintable(standardOut));
    QVERIFY2(standardErr.contains(err), qPrintable(standardErr));
    QCOMPARE(QDir(save).entryList({"*.png", "*.gif"}), picture.isEmpty() ? QStringList() : QStringList{picture});
    if (arguments.value(1).endsWith(QLatin1String(".xlsx")) && picture.isEmpty())
        QVERIFY(!QFileInfo::exists(save));
    QCOMPARE(QFileInfo::exists(save + ".pdf"), arguments.first() == QLatin1String("sheet") && exitCode == 0);
    if (picture.isEmpty())
        return;
    const QString path = save + '/' + picture;
    QCOMPARE(decodeQrCode(path), picture == QLatin1String("EAN.png") ? QStringLiteral("6901234567892") : QStringLiteral("hello"));
    QCOMPARE(QImageReader(path).imageCount() > 1, picture.endsWith(QLatin1String(".gif")));
    const int background = arguments.indexOf(QStringLiteral("--background")) + 1;
    if (background > 0)
        QCOMPARE(QImageReader(path).size(), QImageReader(arguments.at(background)).size());
    if (QTest::currentDataTag() == QLatin1String("logo"))
        QCOMPARE(QImage(path).pixel(250, 250), green);
    if (QTest::currentDataTag() == QLatin1String("style"))
        QCOMPARE(QImage(path).width(), 1000);
}

// A run killed outright and resumed with --skip-existing keeps the pictures it put in place, each whole,
// and draws the rest; a run without the option replaces them all.
void TestBatchCreate::resumeAfterKill()
{
    QTemporaryDir tmp;
    const int rows = 400;
    QByteArray csv("名称,内容\n");
    for (int i = 0; i < rows; ++i)
        csv += QByteArray::number(i) + ",code " + QByteArray::number(i) + '\n';
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("data.csv")), csv));
    const QString save = tmp.filePath(QStringLiteral("save"));
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/glyphora-batch");
    const QStringList generate{"generate", tmp.filePath(QStringLiteral("data.csv")), save, "--jobs", "2"};
    const auto pictures = [&save] { return QDir(save).entryList({"*.png"}, QDir::Files); };

    QProcess killed;
    killed.start(program, generate);
    QTRY_VERIFY_WITH_TIMEOUT(pictures().size() >= 20, 60000);
    ::kill(pid_t(killed.processId()), SIGKILL);
    QVERIFY(killed.waitForFinished(10000));
    const int kept = pictures().size();
    QVERIFY2(kept < rows, "the run ended before it was killed");

    for (const bool skip : {true, false}) {
        QProcess resumed;
        resumed.start(program, generate + (skip ? QStringList{"--skip-existing"} : QStringList()));
        QVERIFY(resumed.waitForFinished(120000));
        QCOMPARE(resumed.exitCode(), 0);
        const QString out = QString::fromUtf8(resumed.readAllStandardOutput());
        const QString summary = skip ? QStringLiteral("成功：%1 个，跳过：%2 个\n").arg(rows - kept).arg(kept)
                                     : QStringLiteral("成功：%1 个\n").arg(rows);
        QVERIFY2(out.contains(summary), qPrintable(out));
        QCOMPARE(pictures().size(), rows);
        for (const QString &name : pictures())
            QCOMPARE(QImage(save + '/' + name).size(), QSize(500, 560));
    }
    QCOMPARE(decodeQrCode(save + QStringLiteral("/0.png")), QStringLiteral("code 0"));
}

QTEST_MAIN(TestBatchCreate)

#include "test_batch_create.moc"
