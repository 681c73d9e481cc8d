#include "batch_decode/batch_jiema.h"
#include "batch_decode/decode_workbook.h"
#include "batch_decode/detector_models.h"
#include "batch_decode/jie_ma.h"
#include "batch_decode/qr_image_decoder.h"
#include "tests/support/test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <qrencode.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <csignal>
#include <cstdio>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/resource.h>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");
const QByteArray heading("fileName,qrContent \n");
const QString digits = QStringLiteral("12345678901234567890");
const QString mixedResult = QStringLiteral("成功：3 个， 错误：1 个，请在保存路径查看错误日志");
const QString completion = QStringLiteral("<div style='color:green;margin-bottom:10px;'>操作完成，请查看文件：</div>");
const QStringList modelNames{"detect.prototxt", "detect.caffemodel", "sr.prototxt", "sr.caffemodel"};

// The payload bytes as they are, on white with a quiet zone (the renderer encodes UTF-8 only).
QImage codeImage(const QByteArray &payload, int moduleSize = 4)
{
    QRcode *symbol = QRcode_encodeString(payload.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    const int width = symbol->width;
    QImage image(width + 8, width + 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int i = 0; i < width * width; ++i)
        image.setPixel(i % width + 4, i / width + 4, symbol->data[i] & 1 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    QRcode_free(symbol);
    return image.scaled(image.size() * moduleSize);
}

// The picture as a file of the format.
QByteArray encoded(const QImage &image, const QByteArray &format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, format.constData()) ? bytes : QByteArray();
}

// A code of another symbology, 4 pixels a module, on white.
QImage symbologyImage(ZXing::BarcodeFormat format, const QString &text)
{
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(format).setMargin(10).encode(text.toStdWString(), 0, 0);
    QImage image(matrix.width(), matrix.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            image.setPixel(x, y, matrix.get(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    return image.scaled(image.size() * 4);
}

struct Run
{
    QStringList reports; // "type|message"
    QStringList csvNames; // as the last report lists them
};

// duringRun is called once, at the first picture.
Run runWorker(const QString &pictures, const QString &save, const QString &mode = QStringLiteral("default"),
              const QStringList &modelFolders = detectorModelFolders(), std::function<void()> duringRun = {})
{
    Run run;
    auto *worker = new BatchJiema(modelFolders);
    QObject::connect(worker, &BatchJiema::returnResult, [&](const QString &type, const QString &message) {
        run.reports << type + '|' + message;
        if (duringRun && type == "progress")
            std::exchange(duringRun, nullptr)();
    });
    worker->batchStart(pictures, save, mode);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    static const QRegularExpression label(QStringLiteral("<div style='color:blue'>([^<]*)\\.csv</div>"));
    for (auto labels = label.globalMatch(run.reports.value(run.reports.size() - 1)); labels.hasNext();)
        run.csvNames << labels.next().captured(1);
    return run;
}

// The file as Python's csv module reads it.
QList<QStringList> readCsv(const QString &path)
{
    QProcess python;
    python.start("python3", {"-c", "import csv, json, sys; print(json.dumps(list(csv.reader("
                                   "open(sys.argv[1], encoding='utf-8-sig', newline=''), strict=True))))", path});
    python.waitForFinished();
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows << row.toVariant().toStringList();
    return rows;
}

int processThreadCount()
{
    return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

int runBatch(const QStringList &arguments)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + "/glyphora-batch", arguments);
    return process.waitForFinished(60000) ? process.exitCode() : -1;
}

}

class TestBatchDecode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void csvFiles_data();
    void csvFiles();
    void runsInTheSameSecond();
    void runs_data();
    void runs();
    void page_data();
    void page();
    void pageClosedDuringRun();
    void commandLine_data();
    void commandLine();
    void sheetNames_data();
    void sheetNames();
    void workbook();
    void otherSymbologies_data();
    void otherSymbologies();
};

void TestBatchDecode::initTestCase()
{
    QVERIFY2(!findDetectorModels(detectorModelFolders()).isEmpty(), "scripts/setup.sh puts the models beside the tests");
    QVERIFY2(!QStandardPaths::findExecutable("python3").isEmpty(), "python3 reads the CSV files back");
    // Decodes the 8 sample photos, which also starts the threads OpenCV keeps before any thread count is taken.
    QTemporaryDir tmp;
    QVERIFY(runWorker(GLYPHORA_TEST_DATA "/batch_decode/qr-photos", tmp.path()).reports.contains("success|成功：8 个"));
}

void TestBatchDecode::csvFiles_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("default") << "default";
    QTest::newRow("excel") << "excel";
}

// One run over many kinds of picture, sub-folders and the files of earlier runs in the same seconds.
void TestBatchDecode::csvFiles()
{
    QFETCH(QString, mode);
    QTemporaryDir pictures;
    QTemporaryDir save;
    QVERIFY(QDir(pictures.path()).mkpath("sub/deeper") && QDir(pictures.path()).mkpath("empty"));
    QList<QStringList> mainRows;
    // Writes the file; a text is what the main CSV holds for it, none for a picture that fails or a file left out.
    const auto add = [&](const QString &name, const QByteArray &bytes, const QString &text = QString()) {
        if (!text.isEmpty())
            mainRows << QStringList{name, text};
        writeFile(pictures.filePath(name), bytes); // a failed write shows in the counts or the rows
    };
    const QString text = QStringLiteral("你好，世界");
    const QImage code = codeImage(text.toUtf8());
    for (const char *suffix : {"png", "JPG"})
        add(QStringLiteral("c.") + suffix, encoded(code, QByteArray(suffix).toLower()), text);
    add("\"quote\", comma.png", encoded(codeImage("say \"hi\", \"bye\""), "png"), "say \"hi\", \"bye\"");
    add("line breaks.png", encoded(codeImage("line1\nline2\r\nline3\rend"), "png"), "line1\nline2\r\nline3\rend");
    add("digits.png", encoded(codeImage(digits.toUtf8()), "png"), mode == "excel" ? digits + '\t' : digits);
    QImage two(code.width() * 2, code.height(), QImage::Format_RGB32);
    QPainter(&two).drawImage(0, 0, code);
    QPainter(&two).drawImage(code.width(), 0, code);
    add("two.png", encoded(two, "png"), text + resultSeparator + text); // the same code in two places
    add("corner.png", encoded(code.copy(0, 0, 40, 40), "png"));
    add("forged\n2026_01_01_00_00_00 : x, \"y\".png", encoded(code.copy(0, 0, 40, 40), "png"));
    add("notes.txt", "not a picture");
    add("png", encoded(code, "png"));
    add("sub/a.b.png", encoded(codeImage("a,b"), "png"));
    add("sub/q\"1\".JPG", encoded(codeImage(digits.toUtf8()), "jpg"));
    add("sub/000123.png", encoded(codeImage("0042"), "png"));
    // A link to a picture elsewhere is read; a link to nothing and a FIFO are failed items, never waited on.
    QTemporaryDir elsewhere;
    QVERIFY(QFile::setPermissions(elsewhere.path(), QFile::Permissions(0x7777)));
    QVERIFY(writeFile(elsewhere.filePath("target.png"), encoded(code, "png")));
    QVERIFY(QFile::link(elsewhere.filePath("target.png"), pictures.filePath("link.png")));
    mainRows << QStringList{"link.png", text};
    QVERIFY(QFile::link(elsewhere.filePath("gone.png"), pictures.filePath("gone.png")));
    QCOMPARE(mkfifo(QFile::encodeName(pictures.filePath("fifo.png")).constData(), 0644), 0);
    add("sub/deeper/left out.png", encoded(code, "png"));
    add("cr.png", encoded(codeImage("carriage\rreturn"), "png"), "carriage\rreturn");
    // In "excel" mode fields a spreadsheet would take for formulas get a leading quote, in every CSV.
    const auto safe = [&mode](const QString &field) { return mode == "excel" ? '\'' + field : field; };
    // No last suffix, no heading; "excel" keeps digits as text in every CSV, names too.
    const QString tab = mode == "excel" ? "\t" : "";
    QList<QStringList> subRows{{"000123" + tab, "0042" + tab}, {"a.b", "a,b"}, {"q\"1\"", digits + tab}};
    for (const QChar start : QStringLiteral("=+-@\t\r")) {
        const QString formula = start + QStringLiteral("1+1");
        add(start + QStringLiteral("cmd.png"), encoded(codeImage(formula.toUtf8()), "png"), safe(formula));
        mainRows.last()[0] = safe(mainRows.last()[0]);
        add(QStringLiteral("sub/") + start + "cmd.png", encoded(codeImage(formula.toUtf8()), "png"));
        subRows << QStringList{safe(start + QStringLiteral("cmd")), safe(formula)};
    }
    // Failed items beside pictures without a code: a picture declaring too many pixels, a name in GBK
    // and a sub-folder that cannot be listed (this thread drops root's rights to read any folder).
    add("huge.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='9000' height='9000'><rect width='9' height='9'/></svg>");
    const QByteArray gbkName = QFile::encodeName(pictures.path()) + "/\xC3\xFB\xD7\xD6.png";
    std::fclose(std::fopen(gbkName, "w"));
    const auto removeGbkName = qScopeGuard([&gbkName] { std::remove(gbkName); }); // a name QDir cannot remove
    QVERIFY(QDir(pictures.path()).mkpath("locked") && QDir(pictures.path()).mkpath(QString(80, u'长'))
            && QFile::setPermissions(pictures.filePath("locked"), {}));
    add(QString(80, u'长') + "/1.png", encoded(code, "png"));
    // A file of an earlier run in this second or the next two, the main one or (excel) a sub-folder's: the run moves to _2.
    const QDateTime now = QDateTime::currentDateTime();
    const QString taken = mode == "excel" ? "_sub.csv" : ".csv";
    for (int s = 0; s < 3; ++s)
        QVERIFY(writeFile(save.filePath(now.addSecs(s).toString("yyyy_MM_dd_hh_mm_ss") + taken), "earlier\n"));
    const QFile::Permissions open(0x7777);
    QVERIFY(QFile::setPermissions(pictures.path(), open) && QFile::setPermissions(save.path(), open));
    setfsuid(65534);
    const Run run = runWorker(pictures.path(), save.path(), mode);
    setfsuid(getuid());
    QCOMPARE(run.reports.value(run.reports.size() - 3),
             QStringLiteral("success|成功：%1 个， 错误：7 个，请在保存路径查看错误日志").arg(mainRows.size() + subRows.size() + 1));
    const QString stamp = run.csvNames.value(0);
    QVERIFY2(stamp.endsWith("_2"), qPrintable(stamp));
    QCOMPARE(readFile(save.filePath(stamp.chopped(2) + taken)), QByteArray("earlier\n"));
    // A CSV name too long for the file system keeps the stamp and the name's start, and ends with a hash.
    const QStringList shortened = run.csvNames.filter(QRegularExpression("^" + stamp + "_长+~[0-9a-f]{8}$"));
    QVERIFY(shortened.size() == 1 && QFile::encodeName(shortened.first() + ".csv").size() <= 255);
    QCOMPARE(QSet<QString>(run.csvNames.begin(), run.csvNames.end()),
             QSet<QString>({stamp, stamp + "_empty", stamp + "_sub", shortened.first()}));
    const QString log = QString::fromUtf8(readFile(save.filePath("error_log.txt")));
    for (const char *line : {"/huge.svg\n", "/名字.png （文件名编码无法识别）\n", "/locked （无法读取文件夹）\n",
                             "/gone.png （链接指向的文件不存在）\n", "/fifo.png （不是普通文件）\n"})
        QVERIFY2(log.contains(stamp + " : " + pictures.path() + line), qPrintable(log));
    // A path that could break the line or forge another is quoted as in the CSV files.
    QVERIFY2(log.contains(stamp + " : \"" + pictures.path() + "/forged\n2026_01_01_00_00_00 : x, \"\"y\"\".png\"\n"), qPrintable(log));
    QCOMPARE(log.count('\n'), 8);
    // Beside the log, each failure is reported with its reason.
    QStringList failed = run.reports.filter(QRegularExpression("^failed\\|"));
    failed.sort();
    QCOMPARE(failed.replaceInStrings(pictures.path(), "<p>"),
             QStringList({"failed|不是普通文件\n<p>/fifo.png", "failed|图片像素过多\n<p>/huge.svg",
                          "failed|文件名编码无法识别\n<p>/名字.png", "failed|无法读取文件夹\n<p>/locked",
                          "failed|未识别到二维码\n<p>/corner.png",
                          "failed|未识别到二维码\n<p>/forged\n2026_01_01_00_00_00 : x, \"y\".png",
                          "failed|链接指向的文件不存在\n<p>/gone.png"}));
    QCOMPARE(readFile(save.filePath(stamp + "_empty.csv")), utf8Bom);
    QList<QStringList> rows = readCsv(save.filePath(stamp + ".csv"));
    QCOMPARE(rows.value(0), QStringList({"fileName", "qrContent "}));
    std::sort(mainRows.begin(), mainRows.end());
    std::sort(rows.begin() + 1, rows.end());
    QCOMPARE(rows.mid(1), mainRows);
    rows = readCsv(save.filePath(stamp + "_sub.csv"));
    std::sort(rows.begin(), rows.end());
    std::sort(subRows.begin(), subRows.end());
    QCOMPARE(rows, subRows);
}

// A second run into the same folder starts while the first decodes, in the same second: it takes none of the
// first run's names, not even that of its sub-folder "2", and each CSV holds its own run's rows.
void TestBatchDecode::runsInTheSameSecond()
{
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(dir.mkpath("a/2") && dir.mkpath("b"));
    for (const QString name : {"a/1.png", "a/2/2.png", "b/3.png"})
        QVERIFY(codeImage(name.toUtf8()).save(dir.filePath(name)));
    Run second;
    const Run first = runWorker(dir.filePath("a"), tmp.path(), "default", detectorModelFolders(),
                                [&] { second = runWorker(dir.filePath("b"), tmp.path()); });
    QCOMPARE(first.csvNames.size(), 2);
    QVERIFY(!first.csvNames.contains(second.csvNames.value(0)));
    QCOMPARE(readCsv(dir.filePath(first.csvNames.at(1) + ".csv")), QList<QStringList>({{"2", "a/2/2.png"}}));
    QCOMPARE(readCsv(dir.filePath(second.csvNames.value(0) + ".csv")), QList<QStringList>({{"fileName", "qrContent "}, {"3.png", "b/3.png"}}));
}

void TestBatchDecode::runs_data()
{
    QTest::addColumn<QString>("pictures"); // in a folder holding "p" (a, B and c readable, d not, notes.txt) and "empty"
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("models"); // "found" after a folder of three; else a folder of none or of four unreadable
    QTest::addColumn<QString>("result"); // the report after the pictures', or the only one
    QTest::newRow("models") << "p" << "s" << "found" << "success|" + mixedResult;
    QTest::newRow("no models") << "p" << "s" << "none" << "success|" + mixedResult;
    QTest::newRow("unreadable models") << "p" << "s" << "garbage" << "success|" + mixedResult;
    QTest::newRow("empty folder") << "empty" << "s" << "found" << "success|成功：0 个";
    QTest::newRow("no picture folder") << "missing" << "s" << "found" << "warning|你选择的文件夹不存在";
    QTest::newRow("empty picture path") << "" << "s" << "found" << "warning|你选择的文件夹不存在";
    QTest::newRow("empty save path") << "p" << "" << "found" << "warning|保存文件夹不存在并且创建失败";
}

void TestBatchDecode::runs()
{
    QFETCH(QString, pictures);
    QFETCH(QString, save);
    QFETCH(QString, models);
    QFETCH(QString, result);
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(dir.mkpath("p") && dir.mkpath("empty") && dir.mkpath("s") && writeFile(dir.filePath("p/notes.txt"), "x"));
    for (const QString name : {"a.png", "B.PNG", "c.jpg"})
        QVERIFY(codeImage(name.left(1).toUtf8()).save(dir.filePath("p/" + name), "png"));
    QVERIFY(writeFile(dir.filePath("p/d.png"), "no picture") && writeFile(dir.filePath("s/error_log.txt"), "earlier line\n"));
    for (int i = 0; i < (models == "found" ? 3 : models == "garbage" ? 4 : 0); ++i)
        QVERIFY(writeFile(dir.filePath(modelNames.at(i)), "garbage"));
    // The first folder holding all four readable model files is taken.
    const QStringList modelFolders = QStringList{dir.filePath("none"), dir.path()}
        + (models == "found" ? QStringList{QFileInfo(findDetectorModels(detectorModelFolders()).value(0)).path()} : QStringList());
    const auto path = [&dir](const QString &name) { return name.isEmpty() ? name : dir.filePath(name); };
    Run run = runWorker(path(pictures), path(save), "default", modelFolders);
    if (result.startsWith("warning|")) {
        QCOMPARE(run.reports, QStringList{result});
        return;
    }
    // Without usable models one notice comes before the first picture, and decoding goes on.
    if (models != "found")
        QVERIFY(run.reports.takeFirst().contains(QRegularExpression("^notice\\|.*opencv_3rdparty")));
    const QString stamp = run.csvNames.value(0);
    QStringList expected;
    QByteArray csv = utf8Bom + heading;
    const QStringList order = QDir(path(pictures)).entryList({"*.png", "*.jpg"}, QDir::Files, QDir::NoSort); // notes.txt goes unmentioned
    for (int i = 0; i < order.size(); ++i) {
        const QString picture = path(pictures) + '/' + order.at(i);
        expected << "progress|<span>正在解码：" + picture.toHtmlEscaped() + "</span>"
                 << (order.at(i) == "d.png" ? "failed|无法读取图片文件\n" + picture
                                            : "succeeded|" + dir.filePath("s/" + stamp + ".csv") + '\n' + picture)
                 << QStringLiteral("count|%1/4").arg(i + 1);
        csv += order.at(i) == "d.png" ? QByteArray() : order.at(i).toUtf8() + ',' + order.at(i).left(1).toUtf8() + '\n';
    }
    const QString runtime = run.reports.value(expected.size() + 1);
    QVERIFY(runtime.startsWith("runtime|用时："));
    expected << result << runtime << "progress|" + completion + "<div style='color:blue'>" + stamp + ".csv</div>";
    QCOMPARE(run.reports, expected);
    QCOMPARE(readFile(dir.filePath("s/" + stamp + ".csv")), csv);
    // A failing run appends to the error log; a clean one leaves the lines of earlier runs alone.
    const QString log = "earlier line\n" + (order.isEmpty() ? QString() : stamp + " : " + dir.filePath("p/d.png") + '\n');
    QCOMPARE(QString::fromUtf8(readFile(dir.filePath("s/error_log.txt"))), log);
}

void TestBatchDecode::page_data()
{
    QTest::addColumn<QString>("pictures"); // in a folder holding "p" (three codes, an unreadable one in "sub") and "file"
    QTest::addColumn<QString>("save");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to, -1 for no limit
    QTest::addColumn<QString>("message"); // none: the run goes through
    QTest::newRow("both empty") << "" << "" << -1 << "请选择二维码图片文件夹";
    QTest::newRow("save folder empty") << "p" << "" << -1 << "请选择解码内容保存位置";
    QTest::newRow("no picture folder") << "missing" << "s" << -1 << "<span>二维码图片文件夹不存在：<br><tmp>/missing</span>";
    QTest::newRow("save folder under a file") << "p" << "file/s" << -1 << "保存文件夹不存在并且创建失败";
    QTest::newRow("nothing can be written") << "p" << "s" << 0 << "保存文件写入失败，请检查文件夹权限";
    QTest::newRow("CSV row beyond the size limit") << "p" << "s" << 30 << "保存文件写入失败，请检查文件夹权限";
    QTest::newRow("error log line beyond the size limit") << "p/sub" << "s" << 30 << "保存文件写入失败，请检查文件夹权限";
    QTest::newRow("run into a new folder") << "p" << "new/deeper" << -1 << "";
}

void TestBatchDecode::page()
{
    QFETCH(QString, pictures);
    QFETCH(QString, save);
    QFETCH(int, sizeLimit);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(dir.mkpath("p/sub") && writeFile(dir.filePath("file"), "x") && writeFile(dir.filePath("p/sub/0.png"), "no picture"));
    for (const QString name : {"1.png", "2.png", "3.png"})
        QVERIFY(codeImage(name.toUtf8()).save(dir.filePath("p/" + name)));
    JieMa page;
    page.findChild<QLineEdit *>("jiemaPathEdit")->setText(pictures.isEmpty() ? pictures : dir.filePath(pictures));
    page.findChild<QLineEdit *>("savePathEdit")->setText(save.isEmpty() ? save : dir.filePath(save));
    auto *button = page.findChild<QPushButton *>("jieMaBtn");
    QStringList texts;
    QTimer boxCatcher; // reads and dismisses every message box
    QObject::connect(&boxCatcher, &QTimer::timeout, [&texts] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    boxCatcher.start(10);
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    const rlimit limited{sizeLimit < 0 ? original.rlim_cur : rlim_t(sizeLimit), original.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &original); std::signal(SIGXFSZ, oldHandler); });
    message.replace("<tmp>", tmp.path());
    // The worker makes the save folder, so it alone refuses one that cannot be made.
    const bool refusedByPage = sizeLimit < 0 && !message.isEmpty() && !message.startsWith(QStringLiteral("保存文件夹"));
    // A second run shows that the button serves a new worker.
    for (int run = 0; run < (message.isEmpty() ? 2 : 1); ++run) {
        button->click();
        QCOMPARE(button->isEnabled(), refusedByPage); // off while a run goes on
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
        QTRY_COMPARE(texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(page.findChild<QProgressBar *>("progressBar")->value(), message.isEmpty() ? 4 : -1); // a failed write ends the run
        // Refused inputs leave no save folder behind.
        if (sizeLimit < 0 && !message.isEmpty())
            QVERIFY(save.isEmpty() || !QFileInfo::exists(dir.filePath(save)));
        if (!message.isEmpty())
            return;
        QCOMPARE(page.findChild<QLabel *>("resultLabel")->text(), mixedResult);
        QVERIFY(page.findChild<QLabel *>("runtimeLabel")->text().startsWith("用时："));
        QVERIFY(page.findChild<QLabel *>("progressLabel")->text().startsWith(completion));
    }
    QCOMPARE(QDir(dir.filePath(save)).entryList({"*.csv"}).size(), 4);
}

void TestBatchDecode::pageClosedDuringRun()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    for (int i = 0; i < 60; ++i)
        QVERIFY(codeImage("again and again", 40).save(pictures.filePath(QString::number(i) + ".png")));
    const int threadsBefore = processThreadCount();
    auto *page = new JieMa;
    page->findChild<QLineEdit *>("jiemaPathEdit")->setText(pictures.path());
    page->findChild<QLineEdit *>("savePathEdit")->setText(save.path());
    page->findChild<QPushButton *>("jieMaBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(page->findChild<QProgressBar *>("progressBar")->value() >= 1, 20000);
    delete page;
    const QStringList csv = QDir(save.path()).entryList({"*.csv"});
    const QByteArray written = readFile(save.filePath(csv.value(0)));
    QTRY_VERIFY(processThreadCount() <= threadsBefore);
    // The worker stopped after its current picture: nothing more was written once the page had gone.
    QVERIFY(csv.size() == 1 && written.count('\n') < 61 && readFile(save.filePath(csv.value(0))) == written);
}

// What glyphora-batch generate wrote, read back by glyphora-batch decode; a picture without a code makes the exit code 3.
void TestBatchDecode::commandLine_data()
{
    QTest::addColumn<QByteArray>("other"); // a second picture file, none when empty
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("options"); // given to the decode command
    QTest::newRow("round trip") << QByteArray() << 0 << QStringList();
    QTest::newRow("a picture without a code") << QByteArray("no picture") << 3 << QStringList();
    QTest::newRow("unknown engine") << QByteArray() << 2 << QStringList{"--engine", "fast"};
    QTest::newRow("one picture at a time") << QByteArray("no picture") << 3 << QStringList{"--jobs", "1"};
    // Pictures are counted from 0 in listing order: b.png, the second, belongs to the other shard.
    QTest::newRow("first of two shards") << QByteArray("no picture") << 0 << QStringList{"--shard", "0/2"};
    QTest::newRow("no pictures at a time") << QByteArray() << 2 << QStringList{"--jobs", "0"};
    QTest::newRow("unknown formats") << QByteArray() << 2 << QStringList{"--formats", "ean"};
}

void TestBatchDecode::commandLine()
{
    QFETCH(QByteArray, other);
    QFETCH(int, exitCode);
    QFETCH(QStringList, options);
    QTemporaryDir pictures;
    QTemporaryDir save;
    const QString csv = pictures.filePath("codes.csv");
    QVERIFY(writeFile(csv, "名称,内容\na," + digits.toUtf8() + '\n') && runBatch({"generate", csv, pictures.path()}) == 0);
    QVERIFY(other.isEmpty() || writeFile(pictures.filePath("b.png"), other));
    QCOMPARE(runBatch(QStringList{"decode", pictures.path(), save.path()} + options), exitCode);
    const QStringList csvFiles = QDir(save.path()).entryList({"*.csv"});
    if (exitCode == 2) {
        QCOMPARE(csvFiles, QStringList());
        return;
    }
    QCOMPARE(csvFiles.size(), 1);
    QCOMPARE(readFile(save.filePath(csvFiles.value(0))), utf8Bom + heading + "a.png," + digits.toUtf8() + '\n');
}

void TestBatchDecode::sheetNames_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("sheets");
    const QString thirty = QString(30, 'x');
    QTest::newRow("kept") << QStringList{"图片", "sub"} << QStringList{"图片", "sub"};
    QTest::newRow("forbidden characters") << QStringList{"a[b]:c*?/\\d"} << QStringList{"a_b__c____d"};
    QTest::newRow("too long") << QStringList{thirty + "yz"} << QStringList{thirty + "y"};
    // Half an emoji would be no character at all.
    QTest::newRow("pair at the cut") << QStringList{thirty + "😀"} << QStringList{thirty};
    QTest::newRow("alike after the cut, any case") << QStringList{thirty + "ab", thirty.toUpper() + "AC"}
                                                   << QStringList{thirty + "a", QString(27, 'X') + " (2)"};
    QTest::newRow("empty, apostrophes, reserved") << QStringList{"", "'q'", "History"}
                                                  << QStringList{"Sheet", "q", "History (2)"};
}

void TestBatchDecode::sheetNames()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, sheets);
    QCOMPARE(DecodeWorkbook::sheetNames(folders), sheets);
}

// The workbook as an independent reader sees it, beside the CSV files of the same run.
void TestBatchDecode::workbook()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    const QString csv = save.filePath("codes.csv");
    // A group separator (GS1 codes carry it) is stored escaped; text that looks escaped stays as it is.
    QVERIFY(writeFile(csv, "名称,内容\na,=1+1\nb,000123\nc," + digits.toUtf8() + "\nd,_x0041_ A\x1d" "B\n")
            && runBatch({"generate", csv, pictures.path()}) == 0 && QFile::remove(csv));
    const QString sub = QString(29, QChar(0x56FE)) + "[x]";
    QVERIFY(QDir(pictures.path()).mkdir(sub) && QFile::rename(pictures.filePath("c.png"), pictures.filePath(sub + "/c.png")));
    QCOMPARE(runBatch({"decode", pictures.path(), save.path(), "--xlsx"}), 0);
    const QStringList books = QDir(save.path()).entryList({"*.xlsx"});
    const QStringList csvFiles = QDir(save.path()).entryList({"*.csv"});
    QCOMPARE(books.size(), 1);
    QCOMPARE(csvFiles.size(), 2);
    // Same stamp as the CSV files; nothing else left in the folder.
    QCOMPARE(books.first().chopped(5) + ".csv", csvFiles.first());
    QCOMPARE(QDir(save.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    QCOMPARE(readFile(save.filePath(csvFiles.first())), utf8Bom + heading + "a.png,=1+1\nb.png,000123\nd.png,_x0041_ A\x1d" "B\n");

    QProcess python;
    python.start("/usr/bin/python3", {GLYPHORA_TEST_DATA "/../../scripts/check-xlsx.py", save.filePath(books.first())});
    QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
    const QJsonArray sheets = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    QCOMPARE(sheets.size(), 2);
    const QStringList titles{QDir(pictures.path()).dirName(), QString(29, QChar(0x56FE)) + "_x"};
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(sheets.at(i)[0].toString(), titles.at(i));
        QList<QStringList> expected = readCsv(save.filePath(csvFiles.at(i)));
        if (i == 0)
            expected.removeFirst();
        expected.prepend({"文件名", "二维码内容"});
        const QJsonArray rows = sheets.at(i)[1].toArray();
        QCOMPARE(rows.size(), expected.size());
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < 2; ++c) {
                QCOMPARE(rows.at(r)[c][0].toString(), expected.at(r).at(c));
                QCOMPARE(rows.at(r)[c][1].toString(), QString("s"));
            }
        }
    }
}

void TestBatchDecode::otherSymbologies_data()
{
    QTest::addColumn<QStringList>("options"); // "page": through the page, the check box ticked with "all"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("rows");
    const QByteArray qr = "c.png,https://example.com/q\n", all = "a.png,4006381333931\nb.png,Glyphora DM 42\n" + qr;
    QTest::newRow("QR codes alone by default") << QStringList() << 3 << qr;
    QTest::newRow("QR codes alone") << QStringList{"--formats", "qr"} << 3 << qr;
    QTest::newRow("all formats") << QStringList{"--formats", "all"} << 0 << all;
    QTest::newRow("page, QR codes alone") << QStringList{"page"} << 3 << qr;
    QTest::newRow("page, all formats") << QStringList{"page", "all"} << 0 << all;
}

void TestBatchDecode::otherSymbologies()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, rows);
    QTemporaryDir pictures;
    QTemporaryDir save;
    QVERIFY(symbologyImage(ZXing::BarcodeFormat::EAN13, "4006381333931").save(pictures.filePath("a.png")));
    QVERIFY(symbologyImage(ZXing::BarcodeFormat::DataMatrix, "Glyphora DM 42").save(pictures.filePath("b.png")));
    QVERIFY(codeImage("https://example.com/q").save(pictures.filePath("c.png")));
    if (options.value(0) == "page") {
        JieMa page;
        page.findChild<QLineEdit *>("jiemaPathEdit")->setText(pictures.path());
        page.findChild<QLineEdit *>("savePathEdit")->setText(save.path());
        page.findChild<QCheckBox *>("allFormatsCheck")->setChecked(options.contains("all"));
        auto *button = page.findChild<QPushButton *>("jieMaBtn");
        button->click();
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
    } else {
        QCOMPARE(runBatch(QStringList{"decode", pictures.path(), save.path()} + options), exitCode);
    }
    const QStringList csvFiles = QDir(save.path()).entryList({"*.csv"});
    QCOMPARE(csvFiles.size(), 1);
    QCOMPARE(readFile(save.filePath(csvFiles.value(0))), utf8Bom + heading + rows);
}

QTEST_MAIN(TestBatchDecode)
#include "test_batch_decode.moc"
