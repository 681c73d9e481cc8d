#include "app/product_site.h"
#include "render/font_registry.h"
#include "render/label_painter.h"
#include "render/module_painter.h"
#include "render/qr_renderer.h"
#include "render/qr_style_record.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

#include <opencv2/wechat_qrcode.hpp>

namespace {

// The style every code of a batch run gets.
QrStyleRecord batchStyle(const QString &name, const QString &content)
{
    QrStyleRecord style;
    style.imageSize = 500;
    style.content = content;
    style.canvasAlpha = 0.1;
    style.lightModuleSize = 50.0;
    style.labelText = name;
    style.labelPointSize = 30;
    style.labelLetterSpacing = 12;
    style.labelFontFamily = QStringLiteral("黑体");
    return style;
}

// Reads a saved code the way a scanner sees it printed: on white paper with a
// quiet zone around it.
QString decodeFile(const QString &path)
{
    const QImage picture(path);
    const int quiet = 40;
    QImage page(picture.width() + 2 * quiet, picture.height() + 2 * quiet, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).drawImage(quiet, quiet, picture);
    QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat mat(gray.height(), gray.width(), CV_8UC1, gray.bits(), size_t(gray.bytesPerLine()));
    // Without model files the detector uses its classic finder-pattern search.
    cv::wechat_qrcode::WeChatQRCode detector;
    const std::vector<std::string> texts = detector.detectAndDecode(mat);
    return texts.size() == 1 ? QString::fromStdString(texts.front()) : QString();
}

QString repeated(const QString &unit, int bytes)
{
    QString text;
    while (text.toUtf8().size() + unit.toUtf8().size() <= bytes)
        text += unit;
    return text + QString(bytes - text.toUtf8().size(), QLatin1Char('x'));
}

QColor pixel(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void rendersOnSeveralThreads();
    void roundTrip_data();
    void roundTrip();
    void emptyContentEncodesSite();
    void encodingFailure_data();
    void encodingFailure();
    void failedSave_data();
    void failedSave();
    void upperCaseSuffix();
    void codeCanvasSize_data();
    void codeCanvasSize();
    void eyesAndAlignment();
    void alignmentCentres_data();
    void alignmentCentres();
    void alignmentMatchesEncoder();
    void plainTiming_data();
    void plainTiming();
    void connectedShape_data();
    void connectedShape();
    void connectedRun();
    void emptyStamps();
    void captionBand_data();
    void captionBand();
    void shapesDecode_data();
    void shapesDecode();
    void labelValues_data();
    void labelValues();
    void chineseCaption();
    void fontRegistry_data();
    void fontRegistry();
    void fontFileCached();

private:
    QTemporaryDir dir;
};

// Runs first, while the font registry is still empty.
void TestRender::rendersOnSeveralThreads()
{
    const QString folder = dir.path();
    QVector<QFuture<bool>> saved;
    for (int i = 0; i < 8; ++i) {
        saved.append(QtConcurrent::run([folder, i] {
            QrStyleRecord style = batchStyle(QStringLiteral("线程 %1").arg(i), QStringLiteral("thread %1").arg(i));
            style.labelFontFamily = QStringLiteral("SourceHanSerifCN");
            style.labelBold = i % 2;
            return style.render(QStringLiteral("%1/thread%2.png").arg(folder).arg(i));
        }));
    }
    for (int i = 0; i < saved.size(); ++i) {
        QVERIFY(saved[i].result());
        QCOMPARE(decodeFile(QStringLiteral("%1/thread%2.png").arg(folder).arg(i)), QStringLiteral("thread %1").arg(i));
    }
}

void TestRender::roundTrip_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("version");
    const QStringList texts = {
        QStringLiteral("a"), QStringLiteral("https://example.com/orders/2024?id=12345"), productSiteUrl(),
        QStringLiteral("01234567890123456789"), QStringLiteral("HELLO WORLD $%*+-./:"),
        QStringLiteral("Tab\tand \"quotes\", commas; <tags> & more\nsecond line"), QStringLiteral("你好，世界"),
        QStringLiteral("北京市海淀区中关村大街1号 电话：010-12345678"), QStringLiteral("😀🎉👍"),
        QStringLiteral("价格 ¥100 😀 OK"), QStringLiteral("こんにちは世界"),
    };
    for (const QString &text : texts)
        QTest::addRow("%s", qPrintable(text.left(16))) << text << 0;
    for (const int bytes : {20, 60, 100, 150, 200, 300, 400, 500, 700, 900, 1100, 1300, 1500, 1700, 2000, 2300})
        QTest::addRow("ascii %d bytes", bytes) << repeated(QStringLiteral("Glyphora-0123/abc?"), bytes) << 0;
    QTest::newRow("chinese 2000 bytes") << repeated(QStringLiteral("二维码批量生成"), 2000) << 0;
    QTest::newRow("emoji 2000 bytes") << repeated(QStringLiteral("😀"), 2000) << 0;
    for (const int version : {2, 5, 10, 20, 30, 40})
        QTest::addRow("version %d", version) << QStringLiteral("hi") << version;
}

void TestRender::roundTrip()
{
    QFETCH(QString, content);
    QFETCH(int, version);
    QrStyleRecord style = batchStyle(QStringLiteral("张三"), content);
    style.version = version;
    // At 500 pixels a version 40 symbol gets under 3 pixels per module, too few
    // for the reader; such symbols are read at 4 pixels per module.
    const QrSymbol symbol = encodeSymbol(style);
    QVERIFY(symbol);
    style.imageSize = qMax(500, (symbol->width + 2) * 4);
    const QString path = dir.filePath(QStringLiteral("round.png"));
    QVERIFY(style.render(path));
    QCOMPARE(decodeFile(path), content);
}

void TestRender::emptyContentEncodesSite()
{
    QrStyleRecord style;
    const QString path = dir.filePath(QStringLiteral("site.png"));
    QVERIFY(style.render(path));
    QCOMPARE(style.content, productSiteUrl());
    QCOMPARE(QImage(path).size(), QSize(300, 300));
    QCOMPARE(decodeFile(path), productSiteUrl());
}

void TestRender::encodingFailure_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("bytes");
    QTest::newRow("too long") << 0 << 1 << 2 << 3000;
    QTest::newRow("too long for level H") << 0 << 3 << 2 << 1300;
    QTest::newRow("version 41") << 41 << 1 << 2 << 10;
    QTest::newRow("version -1") << -1 << 1 << 2 << 10;
    QTest::newRow("level 4") << 0 << 4 << 2 << 10;
    QTest::newRow("level -1") << 0 << -1 << 2 << 10;
    QTest::newRow("mode 0") << 0 << 1 << 0 << 10;
    QTest::newRow("mode 4") << 0 << 1 << 4 << 10;
}

void TestRender::encodingFailure()
{
    QFETCH(int, version);
    QFETCH(int, level);
    QFETCH(int, mode);
    QFETCH(int, bytes);
    QrStyleRecord style = batchStyle(QStringLiteral("名"), repeated(QStringLiteral("abc"), bytes));
    style.version = version;
    style.errorCorrectionLevel = level;
    style.encodeMode = mode;
    const QString path = dir.filePath(QStringLiteral("failed.png"));
    QVERIFY(!style.render(path));
    QVERIFY(!QFile::exists(path));
}

void TestRender::failedSave_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << "no/such/folder/a.png";
    QTest::newRow("unknown suffix") << "a.xyz";
    QTest::newRow("no suffix") << "a";
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) + ".png";
    QTest::newRow("folder in the way") << "taken.png";
}

void TestRender::failedSave()
{
    QFETCH(QString, name);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("taken.png")));
    QrStyleRecord style = batchStyle(QStringLiteral("名"), QStringLiteral("content"));
    QVERIFY(!style.render(folder.filePath(name)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("taken.png")});
}

void TestRender::upperCaseSuffix()
{
    QrStyleRecord style = batchStyle(QStringLiteral("名"), QStringLiteral("content"));
    const QString path = dir.filePath(QStringLiteral("UPPER.PNG"));
    QVERIFY(style.render(path));
    QCOMPARE(QImageReader(path).format(), QByteArray("png"));
    QCOMPARE(QImage(path).size(), QSize(500, 560));
}

void TestRender::codeCanvasSize_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("side");
    QTest::newRow("1") << 1 << 1150;
    QTest::newRow("2") << 2 << 1350;
    QTest::newRow("7") << 7 << 2350;
    QTest::newRow("40") << 40 << 8950;
}

void TestRender::codeCanvasSize()
{
    QFETCH(int, version);
    QFETCH(int, side);
    QrStyleRecord style;
    style.content = QStringLiteral("x");
    style.version = version;
    const QrSymbol symbol = encodeSymbol(style);
    QVERIFY(symbol);
    QCOMPARE(drawCodeCanvas(style, *symbol).size(), QSize(side, side));
}

void TestRender::eyesAndAlignment()
{
    QrStyleRecord style;
    style.content = QStringLiteral("x");
    style.version = 2;
    style.eyeBackdropAlpha = 1.0;
    style.eyeOuterColor = Qt::red;
    style.eyeInnerColor = Qt::blue;
    const QrSymbol symbol = encodeSymbol(style);
    const QImage canvas = drawCodeCanvas(style, *symbol);
    // Layers of each eye: backdrop, outer ring, light ring, centre.
    for (const QPoint &eye : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)}) {
        QCOMPARE(pixel(canvas, eye.x() + 25, eye.y() + 25), QColor(Qt::white));
        QCOMPARE(pixel(canvas, eye.x() + 75, eye.y() + 75), QColor(Qt::red));
        QCOMPARE(pixel(canvas, eye.x() + 125, eye.y() + 125), QColor(Qt::white));
        QCOMPARE(pixel(canvas, eye.x() + 225, eye.y() + 225), QColor(Qt::blue));
    }
    QCOMPARE(pixel(canvas, 1325, 1325).alpha(), 0);
    // The single alignment pattern of version 2 is centred on module (18, 18).
    QCOMPARE(pixel(canvas, 17 * 50 + 25, 17 * 50 + 25), QColor(Qt::red));
    QCOMPARE(pixel(canvas, 18 * 50 + 25, 18 * 50 + 25), QColor(Qt::white));
    QCOMPARE(pixel(canvas, 19 * 50 + 25, 19 * 50 + 25), QColor(Qt::blue));
}

void TestRender::alignmentCentres_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("count");
    QTest::addColumn<QVector<QPoint>>("some");
    QTest::newRow("1") << 1 << 0 << QVector<QPoint>{};
    QTest::newRow("2") << 2 << 1 << QVector<QPoint>{{18, 18}};
    QTest::newRow("6") << 6 << 1 << QVector<QPoint>{{34, 34}};
    QTest::newRow("7") << 7 << 6 << QVector<QPoint>{{22, 22}, {22, 38}, {38, 22}, {38, 38}, {6, 22}, {22, 6}};
    QTest::newRow("40") << 40 << 46 << QVector<QPoint>{{6, 30}, {30, 6}, {170, 170}, {86, 142}, {170, 30}};
}

void TestRender::alignmentCentres()
{
    QFETCH(int, version);
    QFETCH(int, count);
    QFETCH(QVector<QPoint>, some);
    const QVector<QPoint> centres = ::alignmentCentres(17 + 4 * version);
    QCOMPARE(centres.size(), count);
    for (const QPoint &centre : some)
        QVERIFY2(centres.contains(centre), qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
}

// libqrencode flags the modules of alignment patterns; they must be exactly our squares.
void TestRender::alignmentMatchesEncoder()
{
    for (int version = 1; version <= 40; ++version) {
        const QrSymbol symbol(QRcode_encodeString("x", version, QR_ECLEVEL_M, QR_MODE_8, 1));
        const int width = symbol->width;
        QVector<bool> ours(width * width, false);
        for (const QPoint &c : ::alignmentCentres(width)) {
            for (int row = c.y() - 2; row <= c.y() + 2; ++row)
                for (int column = c.x() - 2; column <= c.x() + 2; ++column)
                    ours[row * width + column] = true;
        }
        for (int i = 0; i < width * width; ++i)
            QVERIFY2(ours[i] == bool(symbol->data[i] & 0x20), qPrintable(QStringLiteral("version %1").arg(version)));
    }
}

void TestRender::plainTiming_data()
{
    QTest::addColumn<bool>("plain");
    QTest::addColumn<QColor>("dark");
    QTest::addColumn<QColor>("light");
    QTest::newRow("plain") << true << QColor(Qt::black) << QColor(Qt::white);
    QTest::newRow("styled") << false << QColor(Qt::red) << QColor(Qt::blue);
}

void TestRender::plainTiming()
{
    QFETCH(bool, plain);
    QFETCH(QColor, dark);
    QFETCH(QColor, light);
    QrStyleRecord style;
    style.content = QStringLiteral("x");
    style.plainTimingModules = plain;
    style.darkModuleColor = Qt::red;
    style.lightModuleColor = Qt::blue;
    style.lightModuleSize = 50;
    const QrSymbol symbol = encodeSymbol(style);
    const QImage canvas = drawCodeCanvas(style, *symbol);
    for (int i = 8; i <= 12; ++i) {
        const QColor expected = i % 2 ? light : dark;
        QCOMPARE(pixel(canvas, (i + 1) * 50 + 25, 7 * 50 + 25), expected);
        QCOMPARE(pixel(canvas, 7 * 50 + 25, (i + 1) * 50 + 25), expected);
    }
    QVERIFY(inPlainZone(7, 7, 21) && inPlainZone(14, 7, 21) && inPlainZone(7, 14, 21) && inPlainZone(6, 20, 21));
    QVERIFY(!inPlainZone(13, 7, 21) && !inPlainZone(8, 8, 21) && !inPlainZone(7, 13, 21));
}

void TestRender::connectedShape_data()
{
    QTest::addColumn<int>("neighbours"); // above 1, right 2, below 4, left 8
    QTest::addColumn<QString>("shape");
    QTest::newRow("none") << 0 << "Round";
    QTest::newRow("below") << 4 << "RoundTop";
    QTest::newRow("left") << 8 << "RoundRight";
    QTest::newRow("above") << 1 << "RoundBottom";
    QTest::newRow("right") << 2 << "RoundLeft";
    QTest::newRow("right below") << 6 << "RoundLeftTop";
    QTest::newRow("above right") << 3 << "RoundLeftBottom";
    QTest::newRow("left below") << 12 << "RoundRightTop";
    QTest::newRow("above left") << 9 << "RoundRightBottom";
    QTest::newRow("left right") << 10 << "Square";
    QTest::newRow("above below") << 5 << "Square";
    QTest::newRow("three") << 7 << "Square";
    QTest::newRow("four") << 15 << "Square";
}

void TestRender::connectedShape()
{
    QFETCH(int, neighbours);
    QFETCH(QString, shape);
    QCOMPARE(connectedShapeName(neighbours & 1, neighbours & 2, neighbours & 4, neighbours & 8), shape);
}

void TestRender::connectedRun()
{
    // A run of three in the middle row and a lone module in the corner.
    unsigned char data[25] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0};
    const QRcode symbol{1, 5, data};
    QCOMPARE(connectedShapeAt(symbol, 1, 2), QStringLiteral("RoundLeft"));
    QCOMPARE(connectedShapeAt(symbol, 2, 2), QStringLiteral("Square"));
    QCOMPARE(connectedShapeAt(symbol, 3, 2), QStringLiteral("RoundRight"));
    QCOMPARE(connectedShapeAt(symbol, 0, 0), QStringLiteral("Round"));
}

void TestRender::emptyStamps()
{
    QrStyleRecord style;
    style.moduleShape = 2;
    const QImage dark = makeDarkModulePixmap(style);
    const QImage unknown = makeShapedModulePixmap(style, QStringLiteral("round"));
    QCOMPARE(dark.size(), QSize(50, 50));
    QCOMPARE(unknown.size(), QSize(50, 50));
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x)
            QVERIFY(dark.pixelColor(x, y).alpha() == 0 && unknown.pixelColor(x, y).alpha() == 0);
    }
    QCOMPARE(makeLightModulePixmap(style).pixelColor(25, 25), QColor(Qt::white));
    QCOMPARE(makeLightModulePixmap(style).pixelColor(1, 1).alpha(), 0);
}

void TestRender::captionBand_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("codeTop");
    QTest::newRow("top") << "名字" << "top" << 130 << 30;
    QTest::newRow("bottom") << "名字" << "bottom" << 130 << 0;
    QTest::newRow("center") << "名字" << "center" << 100 << 0;
    QTest::newRow("capital Top is bottom") << "名字" << "Top" << 130 << 0;
    QTest::newRow("no caption") << "" << "top" << 100 << 0;
}

void TestRender::captionBand()
{
    QFETCH(QString, label);
    QFETCH(QString, position);
    QFETCH(int, height);
    QFETCH(int, codeTop);
    QrStyleRecord style;
    style.imageSize = 100;
    style.labelPointSize = 15;
    style.labelText = label;
    style.labelPosition = position;
    QImage code(100, 100, QImage::Format_ARGB32_Premultiplied);
    code.fill(Qt::red);
    const QImage canvas = drawOutputCanvas(style, code);
    QCOMPARE(canvas.height(), height);
    QCOMPARE(pixel(canvas, 1, codeTop), QColor(Qt::red));
    QCOMPARE(pixel(canvas, 1, codeTop + 99), QColor(Qt::red));
    if (codeTop > 0)
        QVERIFY(pixel(canvas, 1, codeTop - 1) != QColor(Qt::red));
    if (codeTop + 100 < height)
        QVERIFY(pixel(canvas, 1, codeTop + 100) != QColor(Qt::red));
}

void TestRender::shapesDecode_data()
{
    QTest::addColumn<int>("moduleShape");
    QTest::addColumn<int>("eyeShape");
    QTest::newRow("squares") << 0 << 0;
    QTest::newRow("round, circles") << 1 << 1;
    QTest::newRow("connected, rounded eyes") << 2 << 2;
    QTest::newRow("round 5, circles 7") << 5 << 7;
    QTest::newRow("connected, square eyes") << 2 << 0;
}

void TestRender::shapesDecode()
{
    QFETCH(int, moduleShape);
    QFETCH(int, eyeShape);
    QrStyleRecord style = batchStyle(QStringLiteral("样式"), QStringLiteral("https://example.com/orders/2024?id=12345"));
    style.moduleShape = moduleShape;
    style.eyeShape = eyeShape;
    const QString path = dir.filePath(QStringLiteral("shape.png"));
    QVERIFY(style.render(path));
    QCOMPARE(decodeFile(path), style.content);
}

// Values that look like others but are not: they must draw as the defaults.
void TestRender::labelValues_data()
{
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("bold");
    QTest::newRow("Top is bottom") << "Top" << 0;
    QTest::newRow("bold 2 is regular") << "bottom" << 2;
}

void TestRender::labelValues()
{
    QFETCH(QString, position);
    QFETCH(int, bold);
    QrStyleRecord expected = batchStyle(QStringLiteral("标签"), QStringLiteral("label"));
    expected.labelFontFamily = QStringLiteral("SourceHanSerifCN");
    QrStyleRecord style = expected;
    style.labelPosition = position;
    style.labelBold = bold;
    QVERIFY(expected.render(dir.filePath(QStringLiteral("expected.png"))));
    QVERIFY(style.render(dir.filePath(QStringLiteral("label.png"))));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("label.png"))), QImage(dir.filePath(QStringLiteral("expected.png"))));
    QCOMPARE(labelFont(style).weight(), int(QFont::Normal));
}

// Missing glyphs all draw as the same box, so swapped characters would look alike.
void TestRender::chineseCaption()
{
    QrStyleRecord first = batchStyle(QStringLiteral("中文"), QStringLiteral("same"));
    QrStyleRecord second = batchStyle(QStringLiteral("文中"), QStringLiteral("same"));
    QVERIFY(first.render(dir.filePath(QStringLiteral("first.png"))));
    QVERIFY(second.render(dir.filePath(QStringLiteral("second.png"))));
    const QRect band(0, 500, 500, 60);
    const QImage a = QImage(dir.filePath(QStringLiteral("first.png"))).copy(band);
    QVERIFY(a != QImage(dir.filePath(QStringLiteral("second.png"))).copy(band));
    QVERIFY(a != QImage(dir.filePath(QStringLiteral("site.png"))).copy(band));
}

void TestRender::fontRegistry_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("resolved");
    QTest::newRow("system name") << "黑体" << "黑体";
    QTest::newRow("lower case") << "sourcehanserifcn" << "sourcehanserifcn";
    QTest::newRow("shipped") << "SourceHanSerifCN" << registerFontFile(QStringLiteral("/assets/SourceHanSerifCN-Regular.otf"));
}

void TestRender::fontRegistry()
{
    QFETCH(QString, family);
    QFETCH(QString, resolved);
    QCOMPARE(resolveLabelFont(family, false), resolved);
    QVERIFY(!resolved.isEmpty());
}

void TestRender::fontFileCached()
{
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/assets/SourceHanSerifCN-Bold.otf");
    if (!QFile::exists(shipped))
        QSKIP("caption fonts are not installed");
    QTemporaryDir fonts;
    const QString copy = fonts.filePath(QStringLiteral("copy.otf"));
    QVERIFY(QFile::copy(shipped, copy));
    const QString relative = QLatin1Char('/') + QDir(QCoreApplication::applicationDirPath()).relativeFilePath(copy);
    QCOMPARE(registerFontFile(relative + QStringLiteral(".missing")), QString());
    const QString family = registerFontFile(relative);
    QVERIFY(!family.isEmpty());
    QVERIFY(QFile::remove(copy));
    QCOMPARE(registerFontFile(relative), family);
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
