#include "common/product_site.h"
#include "gif/gif_image.h"
#include "render/font_registry.h"
#include "render/label_painter.h"
#include "render/qr_renderer.h"
#include "render/qr_style_record.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

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

// Distinct colours that survive any palette reduction unchanged.
QRgb frameColour(int index)
{
    return qRgb(51 * (index % 6), 51 * (index / 6 % 6), 255 - 51 * (index / 36));
}

// Frame i shows frameColour(i) for 20 + 10 i ms (Qt reads 0 or 10 as 100); no frames: a still PNG.
bool writeBackground(const QString &path, int frames, int loopCount)
{
    QImage frame(800, 600, QImage::Format_RGB32);
    frame.fill(frameColour(0));
    if (frames == 0)
        return frame.save(path, "PNG");
    GifImage gif(frame.size());
    gif.setLoopCount(loopCount);
    for (int i = 0; i < frames; ++i) {
        frame.fill(frameColour(i));
        gif.addFrame(frame, QPoint(), 20 + 10 * i);
    }
    return gif.save(path);
}

const QRgb white = qRgb(255, 255, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void badFiles_data();
    void badFiles();
    void geometry();
    void caption_data();
    void caption();
    void fontRegistry();
    void background_data();
    void background();
    void logo_data();
    void logo();

private:
    QTemporaryDir dir;
};

void TestRender::roundTrip_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("version");
    QTest::addColumn<QPoint>("shapes"); // module, eye
    for (const QString &text : {QStringLiteral("a"), QStringLiteral("https://example.com/orders/2024?id=12345"),
                                QStringLiteral("Tab\tand \"quotes\", <tags> & more\nline 2"),
                                QStringLiteral("北京市海淀区中关村大街1号 电话：010-12345678"), QStringLiteral("价格 ¥100 😀 OK")})
        QTest::addRow("%s", qPrintable(text.left(16))) << text << 0 << QPoint();
    // Up to version 40 through length alone (2300 bytes at level M).
    const QString ascii = QStringLiteral("Glyphora-0123/abc?").repeated(128);
    for (const int bytes : {20, 60, 100, 150, 200, 300, 400, 500, 700, 900, 1100, 1300, 1500, 1700, 2000, 2300})
        QTest::addRow("ascii %d bytes", bytes) << ascii.left(bytes) << 0 << QPoint();
    QTest::newRow("chinese 1995 bytes") << QStringLiteral("二维码批量生成").repeated(95) << 0 << QPoint();
    QTest::newRow("emoji 2000 bytes") << QStringLiteral("😀").repeated(500) << 0 << QPoint();
    for (const int version : {1, 10, 20, 30, 40})
        QTest::addRow("version %d", version) << QStringLiteral("v%1").arg(version) << version << QPoint();
    // With the squares above, every module and eye shape; unknown values draw as round and circles.
    for (const QPoint &shapes : {QPoint(1, 2), QPoint(2, 1), QPoint(5, 7)})
        QTest::addRow("shapes %d %d", shapes.x(), shapes.y()) << ascii.left(40 + shapes.x()) << 0 << shapes;
    QTest::newRow("empty is the site") << QString() << 0 << QPoint();
}

void TestRender::roundTrip()
{
    QFETCH(QString, content);
    QFETCH(int, version);
    QFETCH(QPoint, shapes);
    QrStyleRecord style = batchStyle(QStringLiteral("张三"), content);
    style.version = version;
    style.moduleShape = shapes.x();
    style.eyeShape = shapes.y();
    // At 500 pixels version 40 gets under 3 pixels per module, too few for the reader.
    if (const QrSymbol symbol = encodeSymbol(style))
        style.imageSize = qMax(500, (symbol->width + 2) * 4);
    const QString path = dir.filePath(QStringLiteral("round.png"));
    QVERIFY(style.render(path));
    QCOMPARE(decodeQrCode(path), content.isEmpty() ? productSiteUrl() : content);
}

// Pictures that cannot be read are left out; a code that cannot be saved leaves no file.
void TestRender::badFiles_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QString>("background");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<qint64>("diskSpace");
    QTest::newRow("missing folder") << "no/such/a.png" << "" << "" << 0 << false << 0ll;
    QTest::newRow("folder in the way") << "taken.png" << "" << "" << 0 << false << 0ll;
    QTest::newRow("full disk") << "a.png" << "" << "" << 0 << false << 100ll;
    QTest::newRow("version 41") << "a.png" << "" << "" << 41 << false << 0ll;
    QTest::newRow("GIF, missing folder") << "no/such/a.gif" << "" << "bg.gif" << 0 << false << 0ll;
    QTest::newRow("GIF, full disk") << "a.gif" << "" << "bg.gif" << 0 << false << 100ll;
    QTest::newRow("missing logo") << "a.png" << "missing.png" << "" << 0 << true << 0ll;
    QTest::newRow("missing background") << "a.png" << "" << "missing.png" << 0 << true << 0ll;
}

void TestRender::badFiles()
{
    QFETCH(QString, output);
    QFETCH(QString, logo);
    QFETCH(QString, background);
    QFETCH(int, version);
    QFETCH(bool, saved);
    QFETCH(qint64, diskSpace);
    QDir files(dir.path(), QString(), QDir::Name, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY(files.mkpath(QStringLiteral("taken.png")));
    QVERIFY(writeBackground(dir.filePath(QStringLiteral("bg.gif")), 3, 0));
    QrStyleRecord style = batchStyle(QStringLiteral("名"), QStringLiteral("content"));
    QVERIFY(style.render(dir.filePath(QStringLiteral("plain.png"))));
    style.version = version;
    style.logoPath = logo.isEmpty() ? QString() : dir.filePath(logo);
    style.backgroundPath = background.isEmpty() ? QString() : dir.filePath(background);
    style.backgroundSuffix = QFileInfo(background).suffix();
    style.logoFrame = 1;
    style.codeOffsetX = 30;
    const QStringList before = files.entryList();
    const auto render = [&] { return style.render(dir.filePath(output)); };
    QCOMPARE(diskSpace > 0 ? withFileSizeLimit(diskSpace, render) : render(), saved);
    if (saved)
        QCOMPARE(QImage(dir.filePath(output)), QImage(dir.filePath(QStringLiteral("plain.png"))));
    else
        QCOMPARE(files.entryList(), before);
}

void TestRender::geometry()
{
    QrStyleRecord style;
    style.eyeOuterColor = Qt::red;
    style.eyeInnerColor = Qt::blue;
    style.darkModuleColor = Qt::red;
    style.lightModuleColor = Qt::blue;
    style.lightModuleSize = 50;
    style.content = QStringLiteral("x");
    style.version = 2;
    const QImage canvas = drawCodeCanvas(style, *encodeSymbol(style));
    QCOMPARE(canvas.size(), QSize(1350, 1350));
    // Outer ring and centre of each eye; the one-module border stays clear.
    for (const QPoint &eye : {QPoint(0, 0), QPoint(900, 0), QPoint(0, 900)})
        QVERIFY(canvas.pixel(eye + QPoint(75, 75)) == red && canvas.pixel(eye + QPoint(225, 225)) == blue);
    QCOMPARE(qAlpha(canvas.pixel(1325, 1325)), 0);
    // The alignment pattern centred on module (18, 18) starts at module (16, 16).
    QVERIFY(canvas.pixel(17 * 50 + 25, 17 * 50 + 25) == red && canvas.pixel(19 * 50 + 25, 19 * 50 + 25) == blue);

    // libqrencode flags the modules of alignment patterns: they must be exactly our squares.
    for (int version = 1; version <= 40; ++version) {
        const QrSymbol symbol(QRcode_encodeString("x", version, QR_ECLEVEL_M, QR_MODE_8, 1));
        const int width = symbol->width;
        const QVector<QPoint> centres = alignmentCentres(width);
        for (int i = 0; i < width * width; ++i) {
            const bool ours = std::any_of(centres.begin(), centres.end(), [&](QPoint c) {
                return qAbs(c.x() - i % width) <= 2 && qAbs(c.y() - i / width) <= 2;
            });
            QVERIFY2(ours == bool(symbol->data[i] & 0x20), qPrintable(QStringLiteral("version %1").arg(version)));
        }
    }
    QCOMPARE(alignmentCentres(25), QVector<QPoint>{QPoint(18, 18)});
    QCOMPARE(alignmentCentres(45), (QVector<QPoint>{{22, 6}, {6, 22}, {22, 22}, {38, 22}, {22, 38}, {38, 38}}));
    QCOMPARE(alignmentCentres(177).size(), 46);

    for (const bool plain : {true, false}) {
        style.plainTimingModules = plain;
        const QImage timing = drawCodeCanvas(style, *encodeSymbol(style));
        // Row and column 6 between the finders alternate dark and light.
        for (int i = 8; i <= 12; ++i) {
            const QRgb expected = i % 2 ? (plain ? white : blue) : (plain ? qRgb(0, 0, 0) : red);
            QCOMPARE(timing.pixel((i + 1) * 50 + 25, 7 * 50 + 25), expected);
            QCOMPARE(timing.pixel(7 * 50 + 25, (i + 1) * 50 + 25), expected);
        }
    }
    QVERIFY(inPlainZone(7, 7, 21) && inPlainZone(14, 7, 21) && inPlainZone(7, 14, 21) && inPlainZone(6, 20, 21));
    QVERIFY(!inPlainZone(13, 7, 21) && !inPlainZone(8, 7, 21) && !inPlainZone(7, 8, 21) && !inPlainZone(7, 13, 21));

    // The middle of a 3 x 3 symbol with dark neighbours above 1, right 2, below 4, left 8.
    const QVector<QPair<int, QString>> shapes = {
        {0, "Round"}, {4, "RoundTop"}, {8, "RoundRight"}, {1, "RoundBottom"}, {2, "RoundLeft"},
        {6, "RoundLeftTop"}, {3, "RoundLeftBottom"}, {12, "RoundRightTop"}, {9, "RoundRightBottom"},
        {10, "Square"}, {5, "Square"}, {7, "Square"}, {15, "Square"},
    };
    for (const auto &shape : shapes) {
        const int n = shape.first;
        unsigned char data[9] = {0, bool(n & 1), 0, bool(n & 8), 1, bool(n & 2), 0, bool(n & 4), 0};
        QCOMPARE(connectedShapeAt(QRcode{1, 3, data}, 1, 1), shape.second);
    }
}

// A variant of the caption "中文标签" below the code against the caption itself.
void TestRender::caption_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("bold");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("expected");
    QTest::newRow("top") << "黑体" << "中文标签" << "top" << 0 << 560 << "different";
    QTest::newRow("center") << "黑体" << "中文标签" << "center" << 0 << 500 << "different";
    QTest::newRow("Top draws as bottom") << "SourceHanSerifCN" << "中文标签" << "Top" << 0 << 560 << "same";
    QTest::newRow("bold 2 is regular") << "SourceHanSerifCN" << "中文标签" << "bottom" << 2 << 560 << "same";
    // Both files register one family: only the weight picks the bold face.
    QTest::newRow("bold file") << "SourceHanSerifCN" << "中文标签" << "bottom" << 1 << 560 << "bold";
    QTest::newRow("no bold file") << "ZCOOL-Kuaile" << "中文标签" << "bottom" << 1 << 560 << "same";
    // Missing glyphs all draw as the same box, so swapped characters would look alike.
    QTest::newRow("swapped Chinese") << "黑体" << "标签中文" << "bottom" << 0 << 560 << "different";
}

void TestRender::caption()
{
    QFETCH(QString, family);
    QFETCH(QString, label);
    QFETCH(QString, position);
    QFETCH(int, bold);
    QFETCH(int, height);
    QFETCH(QString, expected);
    QrStyleRecord plain = batchStyle(QStringLiteral("中文标签"), QStringLiteral("caption"));
    plain.labelFontFamily = family;
    QrStyleRecord variant = plain;
    variant.labelText = label;
    variant.labelPosition = position;
    variant.labelBold = bold;
    QCOMPARE(labelFont(variant).weight(), int(expected == QLatin1String("bold") ? QFont::Bold : QFont::Normal));
    QVERIFY(plain.render(dir.filePath(QStringLiteral("plain.png"))));
    QVERIFY(variant.render(dir.filePath(QStringLiteral("variant.png"))));
    const QImage before(dir.filePath(QStringLiteral("plain.png")));
    const QImage after(dir.filePath(QStringLiteral("variant.png")));
    QCOMPARE(after.height(), height);
    QCOMPARE(after == before, expected == QLatin1String("same"));
}

void TestRender::fontRegistry()
{
    QCOMPARE(resolveLabelFont(QStringLiteral("黑体"), false), QStringLiteral("黑体"));
    QCOMPARE(resolveLabelFont(QStringLiteral("sourcehanserifcn"), true), QStringLiteral("sourcehanserifcn"));
    const QString regular = registerFontFile(QStringLiteral("/assets/SourceHanSerifCN-Regular.otf"));
    QVERIFY2(!regular.isEmpty(), "caption fonts missing from the assets folder");
    QCOMPARE(resolveLabelFont(QStringLiteral("SourceHanSerifCN"), false), regular);

    // A registered file is not read again: a copy still resolves after it is gone.
    const QString copy = dir.filePath(QStringLiteral("copy.otf"));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/assets/SourceHanSerifCN-Bold.otf"), copy));
    const QString relative = QLatin1Char('/') + QDir(QCoreApplication::applicationDirPath()).relativeFilePath(copy);
    QCOMPARE(registerFontFile(relative + QStringLiteral(".missing")), QString());
    const QString family = registerFontFile(relative);
    QVERIFY(!family.isEmpty());
    QVERIFY(QFile::remove(copy));
    QCOMPARE(registerFontFile(relative), family);
}

void TestRender::background_data()
{
    QTest::addColumn<int>("sourceFrames"); // 0: a still PNG picture
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("loops"); // written to the source file, 0 endless
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("outputFrames");
    QTest::newRow("still") << 0 << "png" << 0 << 0 << QByteArray("png") << 1;
    QTest::newRow("still, 45 degrees") << 0 << "png" << 0 << 45 << QByteArray("png") << 1;
    QTest::newRow("still, -45 does not rotate") << 0 << "png" << 0 << -45 << QByteArray("png") << 1;
    QTest::newRow("GIF is still") << 4 << "GIF" << 0 << 0 << QByteArray("png") << 1;
    QTest::newRow("gif that cannot animate") << 0 << "gif" << 0 << 0 << QByteArray("gif") << 1;
    QTest::newRow("8 frames") << 8 << "gif" << 0 << 0 << QByteArray("gif") << 8;
    QTest::newRow("12 frames, 3 loops") << 12 << "gif" << 3 << 0 << QByteArray("gif") << 6;
    QTest::newRow("40 frames") << 40 << "gif" << 0 << 0 << QByteArray("gif") << 15;
}

void TestRender::background()
{
    QFETCH(int, sourceFrames);
    QFETCH(QString, suffix);
    QFETCH(int, loops);
    QFETCH(int, rotation);
    QFETCH(QByteArray, format);
    QFETCH(int, outputFrames);
    // A red margin of 20 pixels around the code shows where the canvas lies.
    QrStyleRecord style = batchStyle(QString(), QStringLiteral("on a background"));
    style.margin = 20;
    style.canvasColor = QColor(red);
    style.canvasAlpha = 1.0;
    style.codeOffsetX = 150;
    style.codeOffsetY = 50;
    style.codeRotation = rotation;
    style.backgroundPath = dir.filePath(QStringLiteral("bg.") + suffix);
    style.backgroundSuffix = suffix;
    QVERIFY(writeBackground(style.backgroundPath, sourceFrames, loops));
    const QString path = dir.filePath(QStringLiteral("out.") + QString::fromLatin1(format));
    QVERIFY(style.render(path));

    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.imageCount(), outputFrames);
    // The reader reports endless as -1; written as it is that would be 65535 loops.
    if (outputFrames > 1)
        QCOMPARE(reader.loopCount(), QImageReader(style.backgroundPath).loopCount());
    QTransform turn;
    if (rotation > 0)
        turn.translate(400, 300).rotate(rotation).translate(-400, -300);
    for (int i = 0; i < outputFrames; ++i) {
        const QImage frame = reader.read();
        QCOMPARE(frame.size(), QSize(800, 600));
        if (outputFrames > 1)
            QCOMPARE(reader.nextImageDelay(), 20 + 10 * i);
        for (const QPoint &margin : {QPoint(10, 250), QPoint(250, 10), QPoint(490, 250), QPoint(250, 490)})
            QCOMPARE(frame.pixel(turn.map(QPoint(150, 50) + margin)), red);
        QCOMPARE(frame.pixel(155, 55), rotation > 0 ? frameColour(i) : red);
        QCOMPARE(frame.pixel(644, 544), rotation > 0 ? frameColour(i) : red);
        QCOMPARE(frame.pixel(149, 49), frameColour(i));
        QCOMPARE(frame.pixel(650, 550), frameColour(i));
    }
    QCOMPARE(decodeQrCode(path), style.content);
    QProcess gifsicle; // when it is installed, it must read the whole animation cleanly
    if (format == "gif")
        gifsicle.start(QStringLiteral("gifsicle"), {QStringLiteral("--info"), path});
    if (gifsicle.waitForStarted()) {
        QVERIFY(gifsicle.waitForFinished() && gifsicle.exitCode() == 0);
        QCOMPARE(gifsicle.readAllStandardError(), QByteArray());
    }
}

void TestRender::logo_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("logoWidth");
    QTest::addColumn<int>("side");
    QTest::newRow("automatic") << 1 << 0 << 100;
    QTest::newRow("automatic at level L") << 0 << 0 << 75;
    QTest::newRow("height 0 is automatic") << 0 << 100 << 75;
}

void TestRender::logo()
{
    QFETCH(int, level);
    QFETCH(int, logoWidth);
    QFETCH(int, side);
    QImage logo(37, 23, QImage::Format_RGB32);
    logo.fill(green);
    // 25 bytes: version 2, a 25-module symbol, at levels L and M.
    QrStyleRecord style = batchStyle(QString(), QStringLiteral("https://glyphora.app/logo"));
    style.errorCorrectionLevel = level;
    style.logoPath = dir.filePath(QStringLiteral("logo.png"));
    QVERIFY(logo.save(style.logoPath));
    style.logoWidth = logoWidth;
    style.logoFrame = 1;
    style.logoFrameColor = QColor(blue);
    const QString path = dir.filePath(QStringLiteral("logo-out.png"));
    QVERIFY(style.render(path));
    const QImage image(path);
    // The logo fills its box in the middle; a 25-module symbol at 500 pixels gets a frame of 8 pixels.
    for (const QPoint &direction : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        QCOMPARE(image.pixel(QPoint(250, 250) + direction * (side / 2 - 2)), green);
        QCOMPARE(image.pixel(QPoint(250, 250) + direction * (side / 2 + 7)), blue);
        QVERIFY(image.pixel(QPoint(250, 250) + direction * (side / 2 + 9)) != blue);
    }
    if (level == 1)
        QCOMPARE(decodeQrCode(path), style.content);
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
