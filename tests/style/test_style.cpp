#include "batch_create/batch_create.h"
#include "batch_create/color_button.h"
#include "batch_create/csv_create.h"
#include "batch_create/style_chooser.h"
#include "batch_create/style_dialog.h"
#include "style/preview_sample.h"
#include "style/style_file.h"
#include "style/style_presets.h"
#include "style/style_preview.h"
#include "tests/support/test_support.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

namespace {

const QString logo = QStringLiteral(GLYPHORA_TEST_DATA "/../../static/images/logo.png");

// A run of the worker on one row, as the page starts it; the path of its picture.
QString generate(const QString &folder, const std::function<void(BatchCreate &)> &setUp)
{
    QDir().mkpath(folder);
    writeFile(folder + QStringLiteral("/rows.csv"), QStringLiteral("名称,内容\n示例一,https://example.com/a\n").toUtf8());
    auto *worker = new BatchCreate;
    setUp(*worker);
    worker->batchStart(folder + QStringLiteral("/rows.csv"), folder + QStringLiteral("/out"), QStringLiteral("qrcustom"));
    delete worker;
    return folder + QStringLiteral("/out/示例一.png");
}

// The code without its caption, whose pixels depend on no installed font.
QByteArray codePixels(const QString &path)
{
    const QImage code = QImage(path).convertToFormat(QImage::Format_ARGB32).copy(0, 0, 500, 500);
    QByteArray bytes;
    for (int y = 0; y < code.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(code.constScanLine(y)), code.width() * 4);
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

} // namespace

class TestStyle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void presets_data();
    void presets();
    void noStyleIsTodaysOutput();
    void roundTrip();
    void refusals_data();
    void refusals();
    void previewSample_data();
    void previewSample();
    void previewLeavesTheCallerFree();
    void dialog();
    void dialogReopens_data();
    void dialogReopens();
    void pageRunsTheRememberedStyle();

private:
    QTemporaryDir settings;
};

void TestStyle::initTestCase()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
}

void TestStyle::presets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    for (const StylePreset &preset : stylePresets())
        QTest::newRow(qPrintable(preset.name)) << preset.name << preset.style.record.imageSize;
}

void TestStyle::presets()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    BatchStyle style;
    QVERIFY(findStylePreset(name, &style));
    QTemporaryDir tmp;
    // The brand style is made for a logo: read back with one.
    const QString path = generate(tmp.path(), [&](BatchCreate &worker) {
        worker.setStyle(style);
        BatchComposition composition;
        composition.logoPath = name == QLatin1String("brand") ? logo : QString();
        worker.setComposition(composition);
    });
    QCOMPARE(decodeQrCode(path), QStringLiteral("https://example.com/a"));
    QCOMPARE(QImage(path).width(), width);
}

void TestStyle::noStyleIsTodaysOutput()
{
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("empty.json")), "{}"));
    BatchStyle empty;
    QCOMPARE(readStyleFile(tmp.filePath(QStringLiteral("empty.json")), &empty), QString());
    const QString none = generate(tmp.filePath(QStringLiteral("none")), [](BatchCreate &) {});
    const QString preset = generate(tmp.filePath(QStringLiteral("preset")), [](BatchCreate &w) { w.setStyle(batchPreset()); });
    const QString file = generate(tmp.filePath(QStringLiteral("file")), [&](BatchCreate &w) { w.setStyle(empty); });
    // Read from the program before styles came in, as whole modules are drawn since.
    QCOMPARE(codePixels(none), QByteArray("9854e7bd20bd6c6a73d0c3f2cb636e18"));
    QCOMPARE(QImage(none).size(), QSize(500, 560));
    QCOMPARE(readFile(preset), readFile(none));
    QCOMPARE(readFile(file), readFile(none));
}

void TestStyle::roundTrip()
{
    // Every field away from the batch preset; the logo path relative to the file.
    const QByteArray text = R"({"caseSensitive": false, "encodeMode": 2, "errorCorrectionLevel": 3, "version": 7,
        "margin": 40, "imageSize": 640, "backgroundPath": "/b/paper.jpg", "codeOffsetX": 12, "codeOffsetY": 34,
        "codeRotation": 15, "canvasColor": "#fafafa", "canvasAlpha": 0.75, "logoPath": "logo.png", "logoWidth": 90,
        "logoHeight": 60, "logoFrame": 1, "logoFrameColor": "#eeeeee", "moduleShape": 2, "eyeShape": 1,
        "eyeBackdropAlpha": 0.25, "eyeOuterColor": "#112233", "eyeInnerColor": "#445566",
        "lightModuleColor": "#fffff0", "lightModuleSize": 40, "darkModuleColor": "#102030", "darkModuleSize": 45.5,
        "labelPointSize": 18, "labelLetterSpacing": 3, "labelColor": "#a01010", "labelPosition": "top",
        "labelBold": 1, "labelFontFamily": "ZCOOL-Kuaile", "plainTimingModules": true, "printWidth": 38.1,
        "printDpi": 600, "caption": false})";
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("in.json")), text));
    BatchStyle style;
    QCOMPARE(readStyleFile(tmp.filePath(QStringLiteral("in.json")), &style), QString());
    QCOMPARE(style.record.logoPath, tmp.filePath(QStringLiteral("logo.png")));
    QCOMPARE(writeStyleFile(tmp.filePath(QStringLiteral("out.json")), style), QString());
    BatchStyle again;
    QCOMPARE(readStyleFile(tmp.filePath(QStringLiteral("out.json")), &again), QString());
    QJsonObject expected = QJsonDocument::fromJson(text).object();
    expected.insert(QStringLiteral("logoPath"), tmp.filePath(QStringLiteral("logo.png")));
    QCOMPARE(styleToJson(again), expected);
}

void TestStyle::refusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message"); // what the refusal must say; empty when the style is taken

    QTest::newRow("not json") << QByteArray("{\"margin\": }") << "不是有效的 JSON";
    QTest::newRow("not an object") << QByteArray("[1]") << "应为一个 JSON 对象";
    QTest::newRow("unknown") << QByteArray(R"({"darkColor": "#000000"})") << "未知字段 “darkColor”";
    QTest::newRow("from the rows") << QByteArray(R"({"labelText": "x"})") << "“labelText” 不能写在样式文件中";
    QTest::newRow("flag") << QByteArray(R"({"caption": 1})") << "“caption” 应为 true 或 false";
    QTest::newRow("integer as text") << QByteArray(R"({"version": "7"})") << "“version” 应为 0 到 40 之间的整数";
    QTest::newRow("fractional integer") << QByteArray(R"({"imageSize": 500.5})") << "“imageSize” 应为 100 到 4000 之间的整数";
    QTest::newRow("level") << QByteArray(R"({"errorCorrectionLevel": 4})") << "“errorCorrectionLevel” 应为 0 到 3 之间的整数";
    QTest::newRow("kanji mode") << QByteArray(R"({"encodeMode": 3})") << "“encodeMode” 只能为 2";
    QTest::newRow("alpha") << QByteArray(R"({"canvasAlpha": 1.5})") << "“canvasAlpha” 应为 0 到 1 之间的数";
    QTest::newRow("colour name") << QByteArray(R"({"darkModuleColor": "black"})") << "“darkModuleColor” 应为 #rrggbb";
    QTest::newRow("colour alpha") << QByteArray(R"({"labelColor": "#ff000080"})") << "“labelColor” 应为 #rrggbb";
    QTest::newRow("colour, line break") << QByteArray(R"({"darkModuleColor": "#ffffff\n"})") << "“darkModuleColor” 应为 #rrggbb";
    // Each field in range, yet the densest code grows the canvas to 28,640 × 31,504 pixels.
    QTest::newRow("grown canvas") << QByteArray(R"({"imageSize": 4000, "margin": 1950, "version": 40, "labelPointSize": 200})")
                                  << "“imageSize”、“margin”、“labelPointSize” 合起来使图片过大：内容最长时二维码长大为 28640×31504 像素";
    QTest::newRow("position") << QByteArray(R"({"labelPosition": "Top"})")
                              << "“labelPosition” 应为 “top”、“bottom”、“center” 之一";
    QTest::newRow("path") << QByteArray(R"({"logoPath": 5})") << "“logoPath” 应为文件路径";
    QTest::newRow("margin for the size") << QByteArray(R"({"imageSize": 300, "margin": 101})")
                                         << "“margin” 应为 0 到 100 之间的整数";
    QTest::newRow("widest margin for the size") << QByteArray(R"({"imageSize": 300, "margin": 100})") << "";
    QTest::newRow("past the widest margin") << QByteArray(R"({"imageSize": 4000, "margin": 1951})")
                                            << "“margin” 应为 0 到 1950 之间的整数";
}

void TestStyle::refusals()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("s.json")), text));
    BatchStyle style = batchPreset();
    style.caption = false;
    const QString error = readStyleFile(tmp.filePath(QStringLiteral("s.json")), &style);
    if (message.isEmpty()) {
        QCOMPARE(error, QString());
        QCOMPARE(style.record.margin, QJsonDocument::fromJson(text).object().value(QStringLiteral("margin")).toInt());
        return;
    }
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(style.caption, false);
}

void TestStyle::previewSample_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("workbook"); // a committed workbook read instead of the bytes
    QTest::addColumn<QString>("sheet");
    const QString sample = QStringLiteral("示例");
    QTest::newRow("header only") << QByteArray("名称,内容\n") << sample << "https://glyphora.app/" << "" << "";
    QTest::newRow("blank line, then unnamed") << QByteArray("h\n\n,abc\n") << "2" << "abc" << "" << "";
    QTest::newRow("gb18030") << QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("h\n甲,乙\n")) << "甲" << "乙" << "" << "";
    QTest::newRow("quoted line break") << QByteArray("h\n\"a\nb\",\"x\ny\"\n") << "a\nb" << "x\ny" << "" << "";
    // The first row is read whole however long, and nothing after it is needed.
    QTest::newRow("long row") << "h\na," + QByteArray(70000, 'x') + "\n\"" << "a" << QString(70000, 'x') << "" << "";
    QTest::newRow("workbook, first visible sheet") << QByteArray() << "共享" << "中文内容：你好世界" << "libreoffice.xlsx" << "";
    QTest::newRow("workbook, sheet chosen") << QByteArray() << "另一表" << "第二张表的内容" << "libreoffice.xlsx" << "其他";
}

void TestStyle::previewSample()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, content);
    QFETCH(QString, workbook);
    QFETCH(QString, sheet);
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("a.csv")), bytes));
    const QString path = workbook.isEmpty() ? tmp.filePath(QStringLiteral("a.csv")) : QStringLiteral(GLYPHORA_TEST_DATA "/workbooks/") + workbook;
    const PreviewSample sample = ::previewSample(path, sheet);
    QCOMPARE(sample.name, name);
    QCOMPARE(sample.content, content);
}

void TestStyle::previewLeavesTheCallerFree()
{
    StylePreview preview;
    QSignalSpy ready(&preview, &StylePreview::ready);
    BatchStyle style = batchPreset();
    for (const int size : {300, 400, 700}) {
        style.record.imageSize = size;
        preview.request(style, QString());
    }
    // Nothing is drawn on this thread; only the newest settings are shown.
    QCOMPARE(ready.count(), 0);
    QVERIFY(ready.wait(30000));
    QTest::qWait(300);
    QCOMPARE(ready.count(), 1);
    QCOMPARE(ready.first().at(0).value<QImage>().width(), 700);
    QCOMPARE(ready.first().at(1).toString(), QString());
}

void TestStyle::dialog()
{
    StyleDialog dialog(batchPreset(), QStringLiteral("默认"), QString(), QString());
    auto *check = dialog.findChild<QLabel *>(QStringLiteral("previewCheck"));
    QTRY_COMPARE_WITH_TIMEOUT(check->text(), QStringLiteral("预览的二维码可以识别"), 30000);

    // Dark modules as light as the light ones cannot be read: a red warning.
    auto *dark = dialog.findChild<ColorButton *>(QStringLiteral("darkModuleColor"));
    dark->setColor(Qt::white);
    emit dark->colorChanged();
    QCOMPARE(dialog.style().record.darkModuleColor, QColor(Qt::white));
    QCOMPARE(dialog.styleName(), QStringLiteral("自定义"));
    QTRY_VERIFY_WITH_TIMEOUT(check->text().contains(QStringLiteral("无法识别")), 30000);
    QVERIFY(check->styleSheet().contains(QStringLiteral("#d63031")));

    dialog.findChild<QListWidget *>(QStringLiteral("presetList"))->setCurrentRow(4);
    QCOMPARE(dialog.styleName(), QStringLiteral("印刷"));
    QCOMPARE(styleToJson(dialog.style()), styleToJson(stylePresets().at(4).style));
}

void TestStyle::dialogReopens_data()
{
    // The page's style when the dialog is opened, the row the list shows, and the key pressed in the
    // "图片宽度" field after typing 640 into it.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::newRow("custom, Enter") << QStringLiteral("自定义") << -1 << int(Qt::Key_Return);
    QTest::newRow("from a file, keypad Enter") << QStringLiteral("我的样式") << -1 << int(Qt::Key_Enter);
    QTest::newRow("shipped, Enter") << QStringLiteral("印刷") << 4 << int(Qt::Key_Return);
}

// Reopened, the dialog shows the style in use, also when focus reaches the list; Enter in a number
// field applies it and leaves the dialog open.
void TestStyle::dialogReopens()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, key);
    BatchStyle style = stylePresets().at(4).style;
    if (row < 0)
        style.record.darkModuleColor = QColor(10, 80, 20);
    const QLineEdit csvPath;
    StyleChooser chooser(&csvPath, nullptr);
    chooser.choose(style, name);
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<StyleDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("presetList"));
        list->setFocus(Qt::TabFocusReason);
        QCOMPARE(dialog->styleName(), name);
        QCOMPARE(styleToJson(dialog->style()), styleToJson(style));
        QCOMPARE(list->selectedItems().isEmpty() ? -1 : list->row(list->selectedItems().first()), row);
        auto *width = dialog->findChild<QSpinBox *>(QStringLiteral("imageSize"));
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("640"));
        QTest::keyClick(width, Qt::Key(key));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->style().record.imageSize, 640);
        QCOMPARE(dialog->styleName(), QStringLiteral("自定义"));
        checked = true;
        dialog->reject();
    });
    chooser.findChild<QToolButton *>(QStringLiteral("styleBtn"))->click();
    QVERIFY(checked);
    // Cancelled: the page keeps its style and name.
    QCOMPARE(chooser.findChild<QLabel *>()->text(), name);
    QCOMPARE(styleToJson(chooser.style()), styleToJson(style));
}

void TestStyle::pageRunsTheRememberedStyle()
{
    BatchStyle print;
    QVERIFY(findStylePreset(QStringLiteral("print"), &print));
    const QLineEdit csvPath;
    StyleChooser(&csvPath, nullptr).choose(print, QStringLiteral("印刷"));

    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("a.csv")), "h\nx,hello\n"));
    CsvCreate page;
    page.findChild<QLineEdit *>(QStringLiteral("csvPathEdit"))->setText(tmp.filePath(QStringLiteral("a.csv")));
    page.findChild<QLineEdit *>(QStringLiteral("savePathEdit"))->setText(tmp.filePath(QStringLiteral("out")));
    page.findChild<QPushButton *>(QStringLiteral("csvCreateBtn"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(tmp.filePath(QStringLiteral("out/x.png"))), 30000);
    QCOMPARE(QImage(tmp.filePath(QStringLiteral("out/x.png"))).width(), 1000);
}

QTEST_MAIN(TestStyle)

#include "test_style.moc"
