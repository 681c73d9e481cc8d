#include "app/csv_field.h"
#include "batch_decode/batch_jiema.h"
#include "batch_decode/detector_models.h"
#include "batch_decode/jie_ma.h"
#include "batch_decode/qr_image_decoder.h"
#include "code_pictures.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QToolButton>
#include <QtTest>

#include <opencv2/wechat_qrcode.hpp>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using Reports = QList<QPair<QString, QString>>;

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");
const QByteArray heading("fileName,qrContent \n");
const QString writeFailed = QStringLiteral("保存文件写入失败，请检查文件夹权限");
const QString completion = QStringLiteral("<div style='color:green;margin-bottom:10px;'>操作完成，请查看文件：</div>");

struct Run
{
    Reports reports;
    QStringList csvNames;
    bool workerDeleted = false;
};

Run runWorker(const QString &pictures, const QString &save, const QString &mode = QStringLiteral("default"),
              const QStringList &modelFolders = detectorModelFolders())
{
    Run run;
    QPointer<BatchJiema> worker = new BatchJiema(modelFolders);
    QObject::connect(worker, &BatchJiema::returnResult, [&run](const QString &type, const QString &message) {
        run.reports << qMakePair(type, message);
    });
    worker->batchStart(pictures, save, mode);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    run.workerDeleted = worker.isNull();
    if (!run.reports.isEmpty()) {
        static const QRegularExpression label(QStringLiteral("<div style='color:blue'>([^<]*)\\.csv</div>"));
        auto labels = label.globalMatch(run.reports.constLast().second);
        while (labels.hasNext())
            run.csvNames << labels.next().captured(1);
    }
    return run;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Accepted pictures of a folder in the order the worker meets them.
QStringList listedPictures(const QString &folder, const QStringList &pictures)
{
    QStringList names;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::NoSort)) {
        if (pictures.contains(entry.fileName()))
            names << entry.fileName();
    }
    return names;
}

// The file as Python's csv module reads it.
QList<QStringList> readCsv(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, strict=True))))"),
                  path});
    python.waitForFinished();
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields << field.toString();
        rows << fields;
    }
    return rows;
}

bool saveBlank(const QString &path)
{
    QImage blank(120, 120, QImage::Format_RGB32);
    blank.fill(Qt::white);
    return blank.save(path);
}

// Fills the page's two path fields and returns its start button.
QPushButton *fillPage(JieMa &page, const QString &pictures, const QString &save)
{
    page.findChild<QLineEdit *>(QStringLiteral("jiemaPathEdit"))->setText(pictures);
    page.findChild<QLineEdit *>(QStringLiteral("savePathEdit"))->setText(save);
    return page.findChild<QPushButton *>(QStringLiteral("jieMaBtn"));
}

int processThreadCount()
{
    const QByteArray status = fileBytes(QStringLiteral("/proc/self/status"));
    const int start = status.indexOf("Threads:") + 8;
    return status.mid(start, status.indexOf('\n', start) - start).trimmed().toInt();
}

// Reads and dismisses the next message box, whenever it appears.
class MessageBoxCatcher : public QObject
{
public:
    MessageBoxCatcher()
    {
        startTimer(10);
    }
    QStringList texts;

protected:
    void timerEvent(QTimerEvent *) override
    {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            texts << dialog->windowTitle();
            dialog->reject();
        }
    }
};

}

class TestBatchDecode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lowerFileSuffix_data();
    void lowerFileSuffix();
    void qImageToMat_data();
    void qImageToMat();
    void decodesPictureFiles_data();
    void decodesPictureFiles();
    void payloadEncodings_data();
    void payloadEncodings();
    void severalCodesAreJoined();
    void samplePhotos();
    void modelLookup();
    void reportSequence();
    void emptyFolder();
    void folderWarnings_data();
    void folderWarnings();
    void csvFields_data();
    void csvFields();
    void subFolders();
    void errorLogKeptOrDeleted_data();
    void errorLogKeptOrDeleted();
    void runsInTheSameSecond_data();
    void runsInTheSameSecond();
    void writeFailuresEndTheRun_data();
    void writeFailuresEndTheRun();
    void runsWithoutModels_data();
    void runsWithoutModels();
    void pageValidation_data();
    void pageValidation();
    void pageRun();
    void pageWorkerWarning();
    void pageCancelledChooser_data();
    void pageCancelledChooser();
    void pageClosedDuringRun();
    void commandLine_data();
    void commandLine();

private:
    std::unique_ptr<cv::wechat_qrcode::WeChatQRCode> detector;
};

void TestBatchDecode::initTestCase()
{
    QVERIFY2(!findDetectorModels(detectorModelFolders()).isEmpty(), "scripts/setup.sh puts the models beside the tests");
    detector = buildDetector(findDetectorModels(detectorModelFolders()));
    QVERIFY(detector);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty(), "python3 reads the CSV files back");
}

void TestBatchDecode::lowerFileSuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("capitals") << "/a/IMG_0001.JPG" << "jpg";
    QTest::newRow("last dot") << "scan.tar.PnG" << "png";
    QTest::newRow("no dot") << "Folder/README" << "folder/readme";
    QTest::newRow("trailing dot") << "name." << "";
    QTest::newRow("dot in folder") << "a.B/c" << "b/c";
}

void TestBatchDecode::lowerFileSuffix()
{
    QFETCH(QString, path);
    QFETCH(QString, suffix);
    QCOMPARE(::lowerFileSuffix(path), suffix);
}

void TestBatchDecode::qImageToMat_data()
{
    QTest::addColumn<QImage>("image");
    QImage colour(3, 2, QImage::Format_ARGB32);
    colour.fill(qRgba(200, 100, 50, 255));
    colour.setPixel(1, 1, qRgba(10, 240, 130, 255));
    QTest::newRow("RGB32") << colour.convertToFormat(QImage::Format_RGB32);
    QImage transparent = colour;
    transparent.setPixel(1, 1, qRgba(10, 240, 130, 0));
    QTest::newRow("alpha dropped, not blended") << transparent;
    QTest::newRow("RGB888") << colour.convertToFormat(QImage::Format_RGB888);
    QTest::newRow("RGBA8888") << colour.convertToFormat(QImage::Format_RGBA8888);
    QTest::newRow("RGB16") << colour.convertToFormat(QImage::Format_RGB16);
    QTest::newRow("RGBA64") << colour.convertToFormat(QImage::Format_RGBA64);
    QTest::newRow("Grayscale8") << colour.convertToFormat(QImage::Format_Grayscale8);
    QTest::newRow("Indexed8") << colour.convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("Mono") << colour.convertToFormat(QImage::Format_Mono);
}

void TestBatchDecode::qImageToMat()
{
    QFETCH(QImage, image);
    const cv::Mat mat = ::qImageToMat(image);
    QCOMPARE(mat.type(), CV_8UC3);
    QCOMPARE(mat.cols, image.width());
    QCOMPARE(mat.rows, image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const cv::Vec3b bgr = mat.at<cv::Vec3b>(y, x);
            QCOMPARE(QVector<int>({bgr[0], bgr[1], bgr[2]}), QVector<int>({qBlue(pixel), qGreen(pixel), qRed(pixel)}));
        }
    }
}

void TestBatchDecode::decodesPictureFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("writtenAs");
    QTest::addColumn<bool>("readable");
    for (const char *suffix : {"png", "PNG", "jpg", "JPG", "jpeg", "gif", "webp", "tiff", "bmp", "svg"})
        QTest::newRow(suffix) << QStringLiteral("code.") + QLatin1String(suffix) << QByteArray(suffix).toLower() << true;
    QTest::newRow("jpeg data named png") << "photo.png" << QByteArray("jpg") << true;
    QTest::newRow("no suffix") << "code" << QByteArray("png") << true;
    QTest::newRow("no code") << "blank.png" << QByteArray("blank") << false;
    QTest::newRow("garbage png") << "broken.png" << QByteArray("garbage") << false;
    QTest::newRow("garbage webp") << "broken.webp" << QByteArray("garbage") << false;
    QTest::newRow("missing file") << "missing.jpg" << QByteArray("missing") << false;
}

void TestBatchDecode::decodesPictureFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, writtenAs);
    QFETCH(bool, readable);
    const QString text = QStringLiteral("https://example.com/批量?id=7");
    QTemporaryDir tmp;
    const QString path = tmp.filePath(fileName);
    if (writtenAs == "svg") {
        QVERIFY(writeBytes(path, codeSvg(text.toUtf8())));
    } else if (writtenAs == "garbage") {
        QVERIFY(writeBytes(path, QByteArray("\x89PNG not really", 15)));
    } else if (writtenAs == "blank") {
        QVERIFY(saveBlank(path));
    } else if (writtenAs == "gif") {
        QVERIFY(saveGif(codeImage(text.toUtf8()), path));
    } else if (writtenAs != "missing") {
        QVERIFY(codeImage(text.toUtf8()).save(path, writtenAs.constData()));
    }
    QCOMPARE(decodeQrImage(path, *detector), readable ? text : QString());
}

void TestBatchDecode::payloadEncodings_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("text");
    const QString chinese = QStringLiteral("你好，世界");
    QTest::newRow("utf-8") << chinese.toUtf8() << chinese;
    QTest::newRow("gb18030") << QTextCodec::codecForName("GB18030")->fromUnicode(chinese) << chinese;
    QTest::newRow("latin-1") << QByteArray("na\xEFve caf\xE9") << QStringLiteral("na\u00EFve caf\u00E9");
    QTest::newRow("bytes like a UTF-16 mark") << QByteArray("\xFF\xFEhi") << QStringLiteral("\u00FF\u00FEhi");
    QTest::newRow("UTF-8 mark kept") << QByteArray("\xEF\xBB\xBFhi") << QStringLiteral("\uFEFFhi");
}

void TestBatchDecode::payloadEncodings()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, text);
    QTemporaryDir tmp;
    QVERIFY(codeImage(payload).save(tmp.filePath(QStringLiteral("code.png"))));
    QCOMPARE(decodeQrImage(tmp.filePath(QStringLiteral("code.png")), *detector), text);
}

void TestBatchDecode::severalCodesAreJoined()
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("two.png"));
    QVERIFY(sideBySide(codeImage("first code"), codeImage("second code")).save(path));
    QStringList texts = decodeQrImage(path, *detector).split(QLatin1String(resultSeparator));
    texts.sort();
    QCOMPARE(texts, QStringList({"first code", "second code"}));
    QCOMPARE(QByteArray(resultSeparator).size(), 14);
}

void TestBatchDecode::samplePhotos()
{
    const QDir photos(QStringLiteral(GLYPHORA_TEST_DATA "/batch_decode/qr-photos"));
    const QStringList texts = photos.entryList({QStringLiteral("*.txt")});
    QCOMPARE(texts.size(), 8);
    for (const QString &textFile : texts) {
        const QString picture = photos.filePath(QFileInfo(textFile).completeBaseName() + QStringLiteral(".webp"));
        QCOMPARE(decodeQrImage(picture, *detector), QString::fromUtf8(fileBytes(photos.filePath(textFile))));
    }
}

void TestBatchDecode::modelLookup()
{
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    QVERIFY(root.mkpath(QStringLiteral("incomplete")) && root.mkpath(QStringLiteral("complete")));
    QStringList complete;
    for (const char *name : {"detect.prototxt", "detect.caffemodel", "sr.prototxt", "sr.caffemodel"}) {
        complete << root.filePath(QStringLiteral("complete/") + QLatin1String(name));
        QVERIFY(writeBytes(complete.constLast(), "not a model"));
        if (complete.size() < 4)
            QVERIFY(writeBytes(root.filePath(QStringLiteral("incomplete/") + QLatin1String(name)), "x"));
    }
    const QString incomplete = root.filePath(QStringLiteral("incomplete"));
    QCOMPARE(findDetectorModels({root.filePath(QStringLiteral("none")), incomplete, root.filePath(QStringLiteral("complete"))}), complete);
    QVERIFY(findDetectorModels({incomplete}).isEmpty());
    QVERIFY(!buildDetector(complete));
    QVERIFY(buildDetector(QStringList()));
    QCOMPARE(detectorModelFolders(), QStringList({QDir::current().filePath(QStringLiteral("opencv_3rdparty")),
                                                  QCoreApplication::applicationDirPath() + QStringLiteral("/opencv_3rdparty"),
                                                  QStringLiteral(GLYPHORA_DATA_DIR "/opencv_3rdparty")}));
}

void TestBatchDecode::reportSequence()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    QStringList names;
    for (int i = 0; i < 6; ++i) {
        names << QStringLiteral("code-%1.png").arg(i);
        QVERIFY(codeImage(QByteArray("text ") + QByteArray::number(i)).save(pictures.filePath(names.constLast())));
    }
    QVERIFY(codeImage("scanned").save(pictures.filePath(QStringLiteral("SCAN.PNG")), "png"));
    QVERIFY(saveBlank(pictures.filePath(QStringLiteral("blank.jpg"))));
    QVERIFY(writeBytes(pictures.filePath(QStringLiteral("notes.txt")), "not a picture"));
    QVERIFY(codeImage("no dot").save(pictures.filePath(QStringLiteral("png")), "png"));
    const QStringList order = listedPictures(pictures.path(), names + QStringList{"SCAN.PNG", "blank.jpg"});

    const Run run = runWorker(pictures.path(), save.path());
    QVERIFY(run.workerDeleted);
    QCOMPARE(run.csvNames.size(), 1);
    const QString stamp = run.csvNames.constFirst();
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}(_\\d\\d){5}$")).match(stamp).hasMatch());
    Reports expected;
    QByteArray csv = utf8Bom + heading;
    for (int i = 0; i < order.size(); ++i) {
        const QString path = pictures.path() + QLatin1Char('/') + order.at(i);
        expected << qMakePair(QStringLiteral("progress"), QStringLiteral("正在解码：") + path)
                 << qMakePair(QStringLiteral("count"), QStringLiteral("%1/8").arg(i + 1));
        if (order.at(i) == QLatin1String("SCAN.PNG"))
            csv += "SCAN.PNG,scanned\n";
        else if (order.at(i) != QLatin1String("blank.jpg"))
            csv += order.at(i).toUtf8() + ",text " + order.at(i).mid(5, 1).toUtf8() + '\n';
    }
    expected << qMakePair(QStringLiteral("success"), QStringLiteral("成功：7 个， 错误：1 个，请在保存路径查看错误日志"));
    QCOMPARE(run.reports.mid(0, expected.size()), expected);
    QCOMPARE(run.reports.size(), expected.size() + 2);
    QCOMPARE(run.reports.at(expected.size()).first, QStringLiteral("runtime"));
    QVERIFY(run.reports.at(expected.size()).second.startsWith(QStringLiteral("用时：")));
    QCOMPARE(run.reports.constLast(), qMakePair(QStringLiteral("progress"), completion + "<div style='color:blue'>" + stamp + ".csv</div>"));
    QCOMPARE(fileBytes(save.filePath(stamp + ".csv")), csv);
    QCOMPARE(QString::fromUtf8(fileBytes(save.filePath(QStringLiteral("error_log.txt")))),
             stamp + " : " + pictures.path() + "/blank.jpg\n");
}

void TestBatchDecode::emptyFolder()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    const Run run = runWorker(pictures.path(), save.path());
    QCOMPARE(run.reports.size(), 3);
    QCOMPARE(run.reports.at(0), qMakePair(QStringLiteral("success"), QStringLiteral("成功：0 个")));
    QCOMPARE(run.reports.at(1).first, QStringLiteral("runtime"));
    QCOMPARE(run.csvNames.size(), 1);
    QCOMPARE(fileBytes(save.filePath(run.csvNames.constFirst() + ".csv")), utf8Bom + heading);
    QVERIFY(!QFile::exists(save.filePath(QStringLiteral("error_log.txt"))));
}

void TestBatchDecode::folderWarnings_data()
{
    QTest::addColumn<QString>("pictures");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no picture folder") << "missing" << "save" << "你选择的文件夹不存在";
    QTest::newRow("save folder under a file") << "." << "file/save" << "保存文件夹不存在并且创建失败";
    QTest::newRow("empty picture path") << "" << "save" << "你选择的文件夹不存在";
    QTest::newRow("empty save path") << "." << "" << "保存文件夹不存在并且创建失败";
}

void TestBatchDecode::folderWarnings()
{
    QFETCH(QString, pictures);
    QFETCH(QString, save);
    QFETCH(QString, warning);
    QTemporaryDir tmp;
    QVERIFY(writeBytes(tmp.filePath(QStringLiteral("file")), "x"));
    const auto path = [&tmp](const QString &name) { return name.isEmpty() ? name : tmp.filePath(name); };
    const Run run = runWorker(path(pictures), path(save));
    QCOMPARE(run.reports, Reports({qMakePair(QStringLiteral("warning"), warning)}));
    QVERIFY(run.workerDeleted);
}

void TestBatchDecode::csvFields_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("mainField");
    QTest::addColumn<QString>("mainReadBack");
    const QString digits = QStringLiteral("12345678901234567890");
    const QString quote = QStringLiteral("say \"hi\"");
    const QString quoted = QStringLiteral("\"say \"\"hi\"\"\"");
    for (const QString mode : {"default", "excel"}) {
        const QByteArray row = mode.toLatin1() + ' ';
        QTest::newRow(row + "plain") << mode << "中文 text" << "中文 text" << "中文 text";
        QTest::newRow(row + "comma") << mode << "a,b" << "\"a,b\"" << "a,b";
        QTest::newRow(row + "quote") << mode << quote << quoted << quote;
        QTest::newRow(row + "line feed") << mode << "line1\nline2" << "\"line1\nline2\"" << "line1\nline2";
        QTest::newRow(row + "carriage return") << mode << "a\rb" << "\"a\rb\"" << "a\rb";
    }
    QTest::newRow("default digits") << "default" << digits << digits << digits;
    QTest::newRow("excel digits") << "excel" << digits << "\"" + digits + "\t\"" << digits + "\t";
}

void TestBatchDecode::csvFields()
{
    QFETCH(QString, mode);
    QFETCH(QString, content);
    QFETCH(QString, mainField);
    QFETCH(QString, mainReadBack);
    QTemporaryDir pictures;
    QTemporaryDir save;
    QVERIFY(QDir(pictures.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(codeImage(content.toUtf8()).save(pictures.filePath(QStringLiteral("row.png"))));
    QVERIFY(codeImage(content.toUtf8()).save(pictures.filePath(QStringLiteral("sub/row.png"))));
    const Run run = runWorker(pictures.path(), save.path(), mode);
    QCOMPARE(run.csvNames.size(), 2);
    const QString mainCsv = save.filePath(run.csvNames.at(0) + ".csv");
    const QString subCsv = save.filePath(run.csvNames.at(1) + ".csv");
    QCOMPARE(fileBytes(mainCsv), utf8Bom + heading + "row.png," + mainField.toUtf8() + '\n');
    QCOMPARE(fileBytes(subCsv), utf8Bom + "row," + quoteCsvField(content).toUtf8() + '\n');
    QCOMPARE(readCsv(mainCsv), QList<QStringList>({{"fileName", "qrContent "}, {"row.png", mainReadBack}}));
    QCOMPARE(readCsv(subCsv), QList<QStringList>({{"row", content}}));
}

void TestBatchDecode::subFolders()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    const QDir root(pictures.path());
    QVERIFY(root.mkpath(QStringLiteral("shop/deeper")) && root.mkpath(QStringLiteral("empty")));
    QVERIFY(codeImage("top").save(root.filePath(QStringLiteral("top.png"))));
    const QString oddName = QStringLiteral("q,\"1\"");
    const QList<QStringList> shopRows{{"a.b", "ab"}, {"x.png", "xx"}, {"IMG", "img"}, {oddName, "q"}};
    QVERIFY(codeImage("ab").save(root.filePath(QStringLiteral("shop/a.b.png"))));
    QVERIFY(codeImage("xx").save(root.filePath(QStringLiteral("shop/x.png.png"))));
    QVERIFY(codeImage("img").save(root.filePath(QStringLiteral("shop/IMG.JPG")), "jpg"));
    QVERIFY(codeImage("q").save(root.filePath(QStringLiteral("shop/") + oddName + QStringLiteral(".png"))));
    QVERIFY(codeImage("inner").save(root.filePath(QStringLiteral("shop/deeper/inner.png"))));

    const Run run = runWorker(pictures.path(), save.path(), QStringLiteral("excel"));
    QCOMPARE(run.reports.at(run.reports.size() - 3), qMakePair(QStringLiteral("success"), QStringLiteral("成功：5 个")));
    QStringList expectedNames{run.csvNames.value(0)};
    for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort))
        expectedNames << run.csvNames.value(0) + QLatin1Char('_') + folder;
    QCOMPARE(run.csvNames, expectedNames);
    const QString stamp = run.csvNames.value(0);
    QCOMPARE(readCsv(save.filePath(stamp + ".csv")), QList<QStringList>({{"fileName", "qrContent "}, {"top.png", "top"}}));
    QList<QStringList> rows = readCsv(save.filePath(stamp + "_shop.csv"));
    QCOMPARE(rows.size(), shopRows.size());
    for (const QStringList &row : shopRows)
        QVERIFY2(rows.contains(row), qPrintable(row.join(QLatin1Char('|'))));
    QCOMPARE(fileBytes(save.filePath(stamp + "_empty.csv")), utf8Bom);
}

void TestBatchDecode::errorLogKeptOrDeleted_data()
{
    QTest::addColumn<bool>("withError");
    QTest::newRow("run without errors deletes it") << false;
    QTest::newRow("run with errors appends to it") << true;
}

void TestBatchDecode::errorLogKeptOrDeleted()
{
    QFETCH(bool, withError);
    QTemporaryDir pictures;
    QTemporaryDir save;
    const QString picture = pictures.filePath(QStringLiteral("p.png"));
    QVERIFY(withError ? saveBlank(picture) : codeImage("fine").save(picture));
    const QString log = save.filePath(QStringLiteral("error_log.txt"));
    QVERIFY(writeBytes(log, "earlier line\n"));
    const Run run = runWorker(pictures.path(), save.path());
    if (withError)
        QCOMPARE(QString::fromUtf8(fileBytes(log)), "earlier line\n" + run.csvNames.value(0) + " : " + pictures.path() + "/p.png\n");
    else
        QVERIFY(!QFile::exists(log));
}

void TestBatchDecode::runsInTheSameSecond_data()
{
    QTest::addColumn<QString>("takenName");
    QTest::newRow("main CSV taken") << "%1.csv";
    QTest::newRow("sub-folder CSV taken") << "%1_shop.csv";
}

void TestBatchDecode::runsInTheSameSecond()
{
    QFETCH(QString, takenName);
    QTemporaryDir pictures;
    QTemporaryDir save;
    QVERIFY(QDir(pictures.path()).mkdir(QStringLiteral("shop")));
    QVERIFY(codeImage("one").save(pictures.filePath(QStringLiteral("shop/one.png"))));

    // Two runs at once: each gets files of its own with one heading line.
    const Run first = runWorker(pictures.path(), save.path());
    const Run second = runWorker(pictures.path(), save.path());
    QVERIFY(first.csvNames.value(0) != second.csvNames.value(0));
    for (const Run &run : {first, second}) {
        QCOMPARE(fileBytes(save.filePath(run.csvNames.value(0) + ".csv")), utf8Bom + heading);
        QCOMPARE(fileBytes(save.filePath(run.csvNames.value(1) + ".csv")), utf8Bom + "one,one\n");
    }

    // Files of earlier runs in this second and the next two: the run moves to _2.
    QTemporaryDir clash;
    const QDateTime now = QDateTime::currentDateTime();
    QStringList stamps;
    for (int s = 0; s < 3; ++s) {
        stamps << now.addSecs(s).toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
        QVERIFY(writeBytes(clash.filePath(takenName.arg(stamps.constLast())), "earlier\n"));
    }
    const Run run = runWorker(pictures.path(), clash.path());
    QCOMPARE(run.csvNames.size(), 2);
    QVERIFY(run.csvNames.at(0).endsWith(QLatin1String("_2")));
    QVERIFY(stamps.contains(run.csvNames.at(0).chopped(2)));
    QCOMPARE(run.csvNames.at(1), run.csvNames.at(0) + "_shop");
    for (const QString &stamp : stamps)
        QCOMPARE(fileBytes(clash.filePath(takenName.arg(stamp))), QByteArray("earlier\n"));
}

void TestBatchDecode::writeFailuresEndTheRun_data()
{
    QTest::addColumn<bool>("fullErrorLog");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to, -1 for no limit
    QTest::addColumn<int>("pictureReports");
    QTest::newRow("error log on a full disk") << true << -1 << 1;
    QTest::newRow("CSV row beyond the file size limit") << false << 200 << 1;
    QTest::newRow("nothing can be written") << false << 0 << 0;
}

void TestBatchDecode::writeFailuresEndTheRun()
{
    QFETCH(bool, fullErrorLog);
    QFETCH(int, sizeLimit);
    QFETCH(int, pictureReports);
    QTemporaryDir pictures;
    QTemporaryDir save;
    const QString picture = pictures.filePath(QStringLiteral("p.png"));
    QVERIFY(fullErrorLog ? saveBlank(picture) : codeImage(QByteArray(300, 'w')).save(picture));
    if (fullErrorLog) {
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), save.filePath(QStringLiteral("error_log.txt"))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot call seek on a sequential device")));
    }

    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit original = limit;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit >= 0) {
        limit.rlim_cur = rlim_t(sizeLimit);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    const Run run = runWorker(pictures.path(), save.path());
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(run.reports.size(), pictureReports + 1);
    QCOMPARE(run.reports.constLast(), qMakePair(QStringLiteral("warning"), writeFailed));
    QVERIFY(run.workerDeleted);
}

void TestBatchDecode::runsWithoutModels_data()
{
    QTest::addColumn<bool>("unreadableModels");
    QTest::newRow("no model files") << false;
    QTest::newRow("unreadable model files") << true;
}

void TestBatchDecode::runsWithoutModels()
{
    QFETCH(bool, unreadableModels);
    QTemporaryDir pictures;
    QTemporaryDir save;
    QTemporaryDir models;
    if (unreadableModels) {
        for (const char *name : {"detect.prototxt", "detect.caffemodel", "sr.prototxt", "sr.caffemodel"})
            QVERIFY(writeBytes(models.filePath(QLatin1String(name)), "garbage"));
    }
    QVERIFY(codeImage("still read").save(pictures.filePath(QStringLiteral("p.png"))));
    const Run run = runWorker(pictures.path(), save.path(), QStringLiteral("default"), {models.path()});
    QCOMPARE(run.reports.value(0).first, QStringLiteral("notice"));
    QVERIFY(run.reports.value(0).second.contains(QLatin1String("opencv_3rdparty")));
    QCOMPARE(run.reports.value(1).first, QStringLiteral("progress"));
    QVERIFY(run.reports.contains(qMakePair(QStringLiteral("success"), QStringLiteral("成功：1 个"))));
    QCOMPARE(run.reports.count(run.reports.value(0)), 1);
}

void TestBatchDecode::pageValidation_data()
{
    QTest::addColumn<QString>("pictures");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("message");
    QTest::newRow("both empty") << "" << "" << "请选择二维码图片文件夹";
    QTest::newRow("save folder empty") << "." << "" << "请选择解码内容保存位置";
    QTest::newRow("no picture folder") << "missing" << "save" << "二维码图片文件夹不存在";
    QTest::newRow("save folder under a file") << "." << "file/save" << "保存文件夹不存在并且创建失败";
}

void TestBatchDecode::pageValidation()
{
    QFETCH(QString, pictures);
    QFETCH(QString, save);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(writeBytes(tmp.filePath(QStringLiteral("file")), "x"));
    JieMa page;
    auto *button = fillPage(page, pictures.isEmpty() ? pictures : tmp.filePath(pictures), save.isEmpty() ? save : tmp.filePath(save));
    MessageBoxCatcher catcher;
    button->click();
    QCOMPARE(catcher.texts, QStringList{message});
    QVERIFY(button->isEnabled());
}

void TestBatchDecode::pageRun()
{
    QTemporaryDir pictures;
    QTemporaryDir tmp;
    QVERIFY(codeImage("one").save(pictures.filePath(QStringLiteral("1.png"))));
    QVERIFY(codeImage("two").save(pictures.filePath(QStringLiteral("2.png"))));
    const QString save = tmp.filePath(QStringLiteral("new/deeper"));
    JieMa page;
    auto *button = fillPage(page, pictures.path(), save);
    const QList<QLabel *> labels{page.findChild<QLabel *>(QStringLiteral("resultLabel")),
                                 page.findChild<QLabel *>(QStringLiteral("runtimeLabel")),
                                 page.findChild<QLabel *>(QStringLiteral("progressLabel"))};
    auto *bar = page.findChild<QProgressBar *>(QStringLiteral("progressBar"));
    // OpenCV keeps threads of its own once it has decoded; ended threads take a moment to go.
    runWorker(pictures.path(), tmp.filePath(QStringLiteral("warm-up")));
    QTest::qWait(200);
    const int threadsBefore = processThreadCount();
    for (int run = 0; run < 2; ++run) {
        button->click();
        QVERIFY(QDir(save).exists());
        QVERIFY(!button->isEnabled());
        for (QLabel *label : labels)
            QVERIFY(label->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
        QCOMPARE(labels.at(0)->text(), QStringLiteral("成功：2 个"));
        QVERIFY(labels.at(1)->text().startsWith(QStringLiteral("用时：")));
        QVERIFY(labels.at(2)->text().startsWith(completion));
        QCOMPARE(bar->value(), 2);
        QCOMPARE(bar->maximum(), 2);
        // The run's thread ends with its worker.
        QTRY_VERIFY(processThreadCount() <= threadsBefore);
    }
    QCOMPARE(QDir(save).entryList({QStringLiteral("*.csv")}).size(), 2);
}

void TestBatchDecode::pageWorkerWarning()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    QVERIFY(saveBlank(pictures.filePath(QStringLiteral("blank.png"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), save.filePath(QStringLiteral("error_log.txt"))));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot call seek on a sequential device")));
    JieMa page;
    auto *button = fillPage(page, pictures.path(), save.path());
    MessageBoxCatcher catcher;
    button->click();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.texts, QStringList{writeFailed}, 20000);
    QVERIFY(button->isEnabled());
}

void TestBatchDecode::pageCancelledChooser_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("caption");
    QTest::newRow("picture folder") << "selectFileBtn" << "jiemaPathEdit" << "二维码图片文件夹..";
    QTest::newRow("save folder") << "selectPathBtn" << "savePathEdit" << "解码内容保存到..";
}

void TestBatchDecode::pageCancelledChooser()
{
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(QString, caption);
    JieMa page;
    page.findChild<QLineEdit *>(field)->setText(QStringLiteral("/kept"));
    MessageBoxCatcher catcher;
    page.findChild<QToolButton *>(button)->click();
    QCOMPARE(catcher.texts, QStringList{caption});
    QCOMPARE(page.findChild<QLineEdit *>(field)->text(), QStringLiteral("/kept"));
}

void TestBatchDecode::pageClosedDuringRun()
{
    QTemporaryDir pictures;
    QTemporaryDir save;
    const QString first = pictures.filePath(QStringLiteral("0.png"));
    QVERIFY(codeImage("again and again", 8).save(first));
    for (int i = 1; i < 60; ++i)
        QVERIFY(QFile::copy(first, pictures.filePath(QStringLiteral("%1.png").arg(i))));
    auto *page = new JieMa;
    fillPage(*page, pictures.path(), save.path())->click();
    auto *bar = page->findChild<QProgressBar *>(QStringLiteral("progressBar"));
    QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= 1, 20000);
    delete page;
    const QStringList csvFiles = QDir(save.path()).entryList({QStringLiteral("*.csv")});
    QCOMPARE(csvFiles.size(), 1);
    const int rows = fileBytes(save.filePath(csvFiles.constFirst())).count('\n') - 1;
    QVERIFY2(rows >= 1 && rows < 60, qPrintable(QString::number(rows)));
    QTest::qWait(50);
}

void TestBatchDecode::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // "<pictures>" and "<save>" stand for the test's folders
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a pattern for the whole standard output
    QTest::addColumn<QString>("err"); // text that standard error contains
    QTest::addColumn<QByteArray>("row"); // the CSV row written for the picture
    const QString done = QStringLiteral("正在解码：<pictures>/a.png\n成功：1 个\n用时：[0-9.e+-]+ 秒\n"
                                        "操作完成，请查看文件：\n\\d{4}(_\\d\\d){5}\\.csv\n");
    const QByteArray digits("12345678901234567890");
    QTest::newRow("decode") << QStringList{"decode", "<pictures>", "<save>"} << 0 << done << "" << "a.png," + digits;
    QTest::newRow("excel") << QStringList{"decode", "<pictures>", "<save>", "--excel"} << 0 << done << ""
                           << "a.png,\"" + digits + "\t\"";
    QTest::newRow("no picture folder") << QStringList{"decode", "<save>/none", "<save>"} << 1 << ""
                                       << "二维码图片文件夹不存在：" << QByteArray();
    QTest::newRow("worker warning") << QStringList{"decode", "<pictures>", "<pictures>/a.png/save"} << 1 << ""
                                    << "保存文件夹不存在并且创建失败" << QByteArray();
    QTest::newRow("missing argument") << QStringList{"decode", "<pictures>"} << 2 << ""
                                      << "命令 decode 需要 2 个参数：<图片文件夹> <保存文件夹>" << QByteArray();
}

void TestBatchDecode::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QByteArray, row);
    QTemporaryDir pictures;
    QTemporaryDir save;
    QVERIFY(codeImage("12345678901234567890").save(pictures.filePath(QStringLiteral("a.png"))));
    arguments.replaceInStrings(QStringLiteral("<pictures>"), pictures.path());
    arguments.replaceInStrings(QStringLiteral("<save>"), save.path());
    QProcess process;
    // The command must find its own way without a display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/glyphora-batch"), arguments);
    QVERIFY(process.waitForFinished(60000));
    const QString stdOut = QString::fromUtf8(process.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    out.replace(QStringLiteral("<pictures>"), QRegularExpression::escape(pictures.path()));
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out)).match(stdOut).hasMatch(), qPrintable(stdOut));
    QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    const QStringList csvFiles = QDir(save.path()).entryList({QStringLiteral("*.csv")});
    QCOMPARE(csvFiles.size(), row.isEmpty() ? 0 : 1);
    if (!row.isEmpty())
        QCOMPARE(fileBytes(save.filePath(csvFiles.constFirst())), utf8Bom + heading + row + '\n');
}

QTEST_MAIN(TestBatchDecode)
#include "test_batch_decode.moc"
