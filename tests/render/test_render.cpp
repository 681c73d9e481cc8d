#include "app/product_site.h"
#include "render/font_registry.h"
#include "render/label_painter.h"
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

// Reads a saved code as a scanner sees it printed: on white paper with a quiet zone.
QString decodeFile(const QString &path)
{
    const QImage picture(path);
    QImage page(picture.width() + 80, picture.height() + 80, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).drawImage(40, 40, picture);
    QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat mat(gray.height(), gray.width(), CV_8UC1, gray.bits(), size_t(gray.bytesPerLine()));
    // Without model files the reader uses its classic finder-pattern search.
    cv::wechat_qrcode::WeChatQRCode reader;
    const std::vector<std::string> texts = reader.detectAndDecode(mat);
    return texts.size() == 1 ? QString::fromStdString(texts.front()) : QString();
}

// Copies of unit filled up with 'x' to exactly the given number of UTF-8 bytes.
QString repeated(const QString &unit, int bytes)
{
    QString text;
    while (text.toUtf8().size() + unit.toUtf8().size() <= bytes)
        text += unit;
    return text + QString(bytes - text.toUtf8().size(), QLatin1Char('x'));
}

QImage codeCanvas(QrStyleRecord style)
{
    style.content = QStringLiteral("x");
    const QrSymbol symbol = encodeSymbol(style);
    return drawCodeCanvas(style, *symbol);
}

const QString url40 = QStringLiteral("https://example.com/orders/2024?id=12345");

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
    void eyesAndAlignment();
    void alignmentCentres();
    void plainTiming();
    void connectedShape_data();
    void connectedShape();
    void captionBand_data();
    void captionBand();
    void shapesDecode_data();
    void shapesDecode();
    void labelLookAlikes_data();
    void labelLookAlikes();
    void chineseCaption();
    void fontRegistry();

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
        QStringLiteral("a"), url40, QStringLiteral("01234567890123456789"), QStringLiteral("HELLO WORLD $%*+-./:"),
        QStringLiteral("Tab\tand \"quotes\", commas; <tags> & more\nsecond line"), QStringLiteral("你好，世界"),
        QStringLiteral("北京市海淀区中关村大街1号 电话：010-12345678"), QStringLiteral("😀🎉👍"),
        QStringLiteral("价格 ¥100 😀 OK"), QStringLiteral("こんにちは世界"),
    };
    for (const QString &text : texts)
        QTest::addRow("%s", qPrintable(text.left(16))) << text << 0;
    // Up to version 40 through length alone (2300 bytes at level M).
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
    // At 500 pixels version 40 gets under 3 pixels per module, too few for the
    // reader; such symbols are read at 4 pixels per module.
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
    const QString path = dir.filePath(QStringLiteral("site.PNG"));
    QVERIFY(style.render(path));
    QCOMPARE(style.content, productSiteUrl());
    QCOMPARE(QImageReader(path).format(), QByteArray("png"));
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

void TestRender::eyesAndAlignment()
{
    QrStyleRecord style;
    style.eyeBackdropAlpha = 1.0;
    style.eyeOuterColor = Qt::red;
    style.eyeInnerColor = Qt::blue;
    QCOMPARE(codeCanvas(style).size(), QSize(1150, 1150));
    style.version = 40;
    QCOMPARE(codeCanvas(style).size(), QSize(8950, 8950));
    style.version = 2;
    const QImage canvas = codeCanvas(style);
    QCOMPARE(canvas.size(), QSize(1350, 1350));
    // Backdrop, outer ring, light ring and centre of each eye; the one-module border stays clear.
    for (const QPoint &eye : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)}) {
        QCOMPARE(canvas.pixelColor(eye + QPoint(25, 25)), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(eye + QPoint(75, 75)), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(eye + QPoint(125, 125)), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(eye + QPoint(225, 225)), QColor(Qt::blue));
    }
    QCOMPARE(canvas.pixelColor(1325, 1325).alpha(), 0);
    // The alignment pattern centred on module (18, 18) starts at module (16, 16).
    QCOMPARE(canvas.pixelColor(17 * 50 + 25, 17 * 50 + 25), QColor(Qt::red));
    QCOMPARE(canvas.pixelColor(18 * 50 + 25, 18 * 50 + 25), QColor(Qt::white));
    QCOMPARE(canvas.pixelColor(19 * 50 + 25, 19 * 50 + 25), QColor(Qt::blue));
}

// libqrencode flags the modules of alignment patterns: they must be exactly our squares.
void TestRender::alignmentCentres()
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
    QCOMPARE(::alignmentCentres(25), QVector<QPoint>{QPoint(18, 18)});
    QCOMPARE(::alignmentCentres(45), (QVector<QPoint>{{22, 6}, {6, 22}, {22, 22}, {38, 22}, {22, 38}, {38, 38}}));
    QCOMPARE(::alignmentCentres(177).size(), 46);
}

void TestRender::plainTiming()
{
    QrStyleRecord style;
    style.darkModuleColor = Qt::red;
    style.lightModuleColor = Qt::blue;
    style.lightModuleSize = 50;
    for (const bool plain : {true, false}) {
        style.plainTimingModules = plain;
        const QImage canvas = codeCanvas(style);
        // Row and column 6 between the finders alternate dark and light.
        for (int i = 8; i <= 12; ++i) {
            const QColor expected = i % 2 ? (plain ? Qt::white : Qt::blue) : (plain ? Qt::black : Qt::red);
            QCOMPARE(canvas.pixelColor((i + 1) * 50 + 25, 7 * 50 + 25), expected);
            QCOMPARE(canvas.pixelColor(7 * 50 + 25, (i + 1) * 50 + 25), expected);
        }
    }
    QVERIFY(inPlainZone(7, 7, 21) && inPlainZone(14, 7, 21) && inPlainZone(7, 14, 21) && inPlainZone(6, 20, 21));
    QVERIFY(!inPlainZone(13, 7, 21) && !inPlainZone(8, 8, 21) && !inPlainZone(7, 13, 21));
}

void TestRender::connectedShape_data()
{
    QTest::addColumn<int>("neighbours"); // above 1, right 2, below 4, left 8
    QTest::addColumn<QString>("shape");
    const QVector<QPair<int, QString>> rows = {
        {0, "Round"}, {4, "RoundTop"}, {8, "RoundRight"}, {1, "RoundBottom"}, {2, "RoundLeft"},
        {6, "RoundLeftTop"}, {3, "RoundLeftBottom"}, {12, "RoundRightTop"}, {9, "RoundRightBottom"},
        {10, "Square"}, {5, "Square"}, {7, "Square"}, {15, "Square"},
    };
    for (const auto &row : rows)
        QTest::addRow("%d", row.first) << row.first << row.second;
}

void TestRender::connectedShape()
{
    QFETCH(int, neighbours);
    QFETCH(QString, shape);
    // The module sits in the middle of a 3 x 3 symbol; outside the symbol counts as light.
    unsigned char data[9] = {0, bool(neighbours & 1), 0, bool(neighbours & 8), 1, bool(neighbours & 2),
                             0, bool(neighbours & 4), 0};
    const QRcode symbol{1, 3, data};
    QCOMPARE(connectedShapeAt(symbol, 1, 1), shape);
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
    const QColor red(Qt::red);
    QVERIFY(canvas.pixelColor(1, codeTop) == red && canvas.pixelColor(1, codeTop + 99) == red);
    QVERIFY(codeTop == 0 || canvas.pixelColor(1, codeTop - 1) != red);
    QVERIFY(codeTop + 100 == height || canvas.pixelColor(1, codeTop + 100) != red);
}

void TestRender::shapesDecode_data()
{
    QTest::addColumn<int>("moduleShape");
    QTest::addColumn<int>("eyeShape");
    QTest::newRow("squares") << 0 << 0;
    QTest::newRow("round, circles") << 1 << 1;
    QTest::newRow("connected, rounded eyes") << 2 << 2;
    QTest::newRow("round 5, circles 7") << 5 << 7;
}

void TestRender::shapesDecode()
{
    QFETCH(int, moduleShape);
    QFETCH(int, eyeShape);
    QrStyleRecord style = batchStyle(QStringLiteral("样式"), url40);
    style.moduleShape = moduleShape;
    style.eyeShape = eyeShape;
    const QString path = dir.filePath(QStringLiteral("shape.png"));
    QVERIFY(style.render(path));
    QCOMPARE(decodeFile(path), url40);
}

// Values that resemble others but are not them draw as the defaults.
void TestRender::labelLookAlikes_data()
{
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("bold");
    QTest::newRow("Top is bottom") << "Top" << 0;
    QTest::newRow("bold 2 is regular") << "bottom" << 2;
}

void TestRender::labelLookAlikes()
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
    QVERIFY(QImage(dir.filePath(QStringLiteral("first.png"))).copy(band)
            != QImage(dir.filePath(QStringLiteral("second.png"))).copy(band));
}

void TestRender::fontRegistry()
{
    QCOMPARE(resolveLabelFont(QStringLiteral("黑体"), false), QStringLiteral("黑体"));
    QCOMPARE(resolveLabelFont(QStringLiteral("sourcehanserifcn"), true), QStringLiteral("sourcehanserifcn"));
    const QString regular = registerFontFile(QStringLiteral("/assets/SourceHanSerifCN-Regular.otf"));
    QVERIFY2(!regular.isEmpty(), "caption fonts missing from the assets folder");
    QCOMPARE(resolveLabelFont(QStringLiteral("SourceHanSerifCN"), false), regular);

    // A registered file is not read again: a copy still resolves after it is gone.
    QTemporaryDir fonts;
    const QString copy = fonts.filePath(QStringLiteral("copy.otf"));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/assets/SourceHanSerifCN-Bold.otf"), copy));
    const QString relative = QLatin1Char('/') + QDir(QCoreApplication::applicationDirPath()).relativeFilePath(copy);
    QCOMPARE(registerFontFile(relative + QStringLiteral(".missing")), QString());
    const QString family = registerFontFile(relative);
    QVERIFY(!family.isEmpty());
    QVERIFY(QFile::remove(copy));
    QCOMPARE(registerFontFile(relative), family);
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
