#include "batch_create/batch_composition.h"
#include "common/product_site.h"
#include "gif/gif_image.h"
#include "render/font_registry.h"
#include "render/label_painter.h"
#include "render/module_painter.h"
#include "render/qr_renderer.h"
#include "render/qr_style_record.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
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

// Frame i shows frameColour(i) for 20 + 10 i ms (Qt reads 0 or 10 as 100); no frames: a still
// PNG; loopCount -1: no looping extension.
bool writeBackground(const QString &path, int frames, int loopCount)
{
    QImage frame(900, 800, QImage::Format_RGB32);
    frame.fill(frameColour(0));
    if (frames == 0)
        return frame.save(path, "PNG");
    GifImage gif(frame.size());
    if (loopCount < 0)
        gif.clearLoopCount();
    else
        gif.setLoopCount(loopCount);
    for (int i = 0; i < frames; ++i) {
        frame.fill(frameColour(i));
        gif.addFrame(frame, QPoint(), 20 + 10 * i);
    }
    return gif.save(path);
}

// Along the diagonal from a point, the distance to the first dark pixel, the top-left finder's
// corner, and the length of the dark run to its right there: the finder's seven modules.
QPoint finder(const QImage &image, QPoint from = QPoint())
{
    int d = 0;
    while (from.y() + d < image.height() && qGray(image.pixel(from + QPoint(d, d))) > 128)
        ++d;
    int x = d;
    while (from.x() + x < image.width() && qGray(image.pixel(from + QPoint(x, d + 1))) < 128)
        ++x;
    return QPoint(d, x - d);
}

// The box around the reddish pixels of an area: ink of a red caption.
QRect ink(const QImage &image, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qRed(image.pixel(x, y)) > 160 && qGreen(image.pixel(x, y)) < 96)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A caption drawn in a font family, as pixels.
QImage lettering(const QString &family)
{
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(QFont(family, 30));
    painter.drawText(image.rect(), QStringLiteral("直骨角门"));
    return image;
}

const QRgb white = qRgb(255, 255, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);

} // namespace

Q_DECLARE_METATYPE(QrStyleRecord)

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
    void captionResolution();
    void fontRegistry();
    void background_data();
    void background();
    void composition();
    void logo_data();
    void logo();
    void reference_data();
    void reference();

private:
    QTemporaryDir dir;
};

void TestRender::roundTrip_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("version");
    QTest::addColumn<QPoint>("shapes"); // module, eye
    QTest::addColumn<int>("level");
    for (const QString &text : {QStringLiteral("a"), QStringLiteral("Tab\tand \"quotes\", <tags> & more\nline 2"),
                                QStringLiteral("北京市海淀区中关村大街1号 电话：010-12345678"), QStringLiteral("价格 ¥100 😀 OK"),
                                // Read as Shift-JIS or Latin-1 by readers guessing a character set.
                                QStringLiteral("こんにちは、世界"), QStringLiteral("Müller ｱｲｳ")})
        QTest::addRow("%s", qPrintable(text.left(16))) << text << 0 << QPoint() << 1;
    // Dense codes through length alone: versions 33 and 40 at level M.
    const QString ascii = QStringLiteral("Glyphora-0123/abc?").repeated(128);
    for (const int bytes : {300, 1600, 2300})
        QTest::addRow("ascii %d bytes", bytes) << ascii.left(bytes) << 0 << QPoint() << 1;
    QTest::newRow("chinese 1995 bytes") << QStringLiteral("二维码批量生成").repeated(95) << 0 << QPoint() << 1;
    QTest::newRow("emoji 2000 bytes") << QStringLiteral("😀").repeated(500) << 0 << QPoint() << 1;
    for (const int version : {1, 20, 40})
        QTest::addRow("version %d", version) << QStringLiteral("v%1").arg(version) << version << QPoint() << 1;
    // With the squares above, every module and eye shape; unknown values draw as round and circles.
    for (const QPoint &shapes : {QPoint(1, 2), QPoint(2, 1), QPoint(5, 7)})
        QTest::addRow("shapes %d %d", shapes.x(), shapes.y()) << ascii.left(40 + shapes.x()) << 0 << shapes << 1;
    QTest::newRow("empty is the site") << QString() << 0 << QPoint() << 1;
    for (const int level : {0, 3})
        QTest::addRow("level %d", level) << QStringLiteral("https://glyphora.app/logo?level=check") << 0 << QPoint() << level;
}

void TestRender::roundTrip()
{
    QFETCH(QString, content);
    QFETCH(int, version);
    QFETCH(QPoint, shapes);
    QFETCH(int, level);
    QrStyleRecord style = batchStyle(QStringLiteral("张三"), content);
    style.version = version;
    style.moduleShape = shapes.x();
    style.eyeShape = shapes.y();
    style.errorCorrectionLevel = level;
    const QString path = dir.filePath(QStringLiteral("round.png"));
    QVERIFY(style.render(path));
    const QString expected = content.isEmpty() ? productSiteUrl() : content;
    QCOMPARE(decodeQrCode(path), expected);
    // Printed at half size, as on a label.
    const QImage image(path);
    const QString half = dir.filePath(QStringLiteral("half.png"));
    QVERIFY(image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(half));
    QCOMPARE(decodeQrCode(half), expected);
    // The finder is seven of the symbol's modules wide: the version and level reached the encoder.
    const QByteArray bytes = expected.toUtf8();
    QrSymbol symbol;
    if (bytes == expected.toLatin1()) {
        symbol.reset(QRcode_encodeString(bytes.constData(), version, QRecLevel(level), QR_MODE_8, 1));
    } else {
        // Text beyond ASCII goes in one byte segment after a UTF-8 character-set mark.
        QRinput *input = QRinput_new2(version, QRecLevel(level));
        QRinput_appendECIheader(input, 26);
        QRinput_append(input, QR_MODE_8, bytes.size(), reinterpret_cast<const unsigned char *>(bytes.constData()));
        symbol.reset(QRcode_encodeInput(input));
        QRinput_free(input);
    }
    const int modules = symbol->width + 2;
    if (shapes.isNull())
        QVERIFY(qAbs(finder(image).y() - 7.0 * image.width() / modules) <= 2);
    // Dense codes grow to four pixels a module, caption band with them; the others keep 500.
    QCOMPARE(image.width(), qMax(500, 4 * modules));
    QCOMPARE(image.height(), image.width() + 2 * qRound(30.0 * image.width() / 500));
}

// A code that cannot be saved, or composed as asked, fails and leaves no file.
void TestRender::badFiles_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QString>("background");
    QTest::addColumn<int>("version");
    QTest::addColumn<qint64>("diskSpace");
    QTest::addColumn<int>("offset");
    QTest::newRow("missing folder") << "no/such/a.png" << "" << "" << 0 << 0ll << 30;
    QTest::newRow("folder in the way") << "taken.png" << "" << "" << 0 << 0ll << 30;
    QTest::newRow("full disk") << "a.png" << "" << "" << 0 << 100ll << 30;
    QTest::newRow("version 41") << "a.png" << "" << "" << 41 << 0ll << 30;
    QTest::newRow("GIF, missing folder") << "no/such/a.gif" << "" << "bg.gif" << 0 << 0ll << 30;
    QTest::newRow("GIF, full disk") << "a.gif" << "" << "bg.gif" << 0 << 100ll << 30;
    QTest::newRow("logo vanished") << "a.png" << "missing.png" << "" << 0 << 0ll << 30;
    QTest::newRow("background vanished") << "a.png" << "" << "missing.png" << 0 << 0ll << 30;
    QTest::newRow("canvas off the background") << "a.gif" << "" << "bg.gif" << 0 << 0ll << 5000;
    QTest::newRow("canvas over the edge") << "a.gif" << "" << "bg.gif" << 0 << 0ll << 401;
}

void TestRender::badFiles()
{
    QFETCH(QString, output);
    QFETCH(QString, logo);
    QFETCH(QString, background);
    QFETCH(int, version);
    QFETCH(qint64, diskSpace);
    QFETCH(int, offset);
    QDir files(dir.path(), QString(), QDir::Name, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QVERIFY(files.mkpath(QStringLiteral("taken.png")));
    QVERIFY(writeBackground(dir.filePath(QStringLiteral("bg.gif")), 3, 0));
    QrStyleRecord style = batchStyle(QStringLiteral("名"), QStringLiteral("content"));
    style.version = version;
    style.logoPath = logo.isEmpty() ? QString() : dir.filePath(logo);
    style.backgroundPath = background.isEmpty() ? QString() : dir.filePath(background);
    style.backgroundSuffix = QFileInfo(background).suffix();
    style.codeOffsetX = offset;
    const QStringList before = files.entryList();
    const auto render = [&] { return style.render(dir.filePath(output)); };
    QVERIFY(!(diskSpace > 0 ? withFileSizeLimit(diskSpace, render) : render()));
    QCOMPARE(files.entryList(), before);
}

void TestRender::geometry()
{
    QrStyleRecord style;
    style.eyeOuterColor = Qt::red;
    style.eyeInnerColor = Qt::blue;
    style.darkModuleColor = Qt::red;
    style.lightModuleColor = Qt::blue;
    style.content = QStringLiteral("x");
    style.version = 2;
    const QImage canvas = drawCodeCanvas(style, *encodeSymbol(style), 50);
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

    for (const bool plain : {true, false}) {
        style.plainTimingModules = plain;
        const QImage timing = drawCodeCanvas(style, *encodeSymbol(style), 50);
        // Row and column 6 between the finders alternate dark and light.
        for (int i = 8; i <= 12; ++i) {
            const QRgb expected = i % 2 ? (plain ? white : blue) : (plain ? qRgb(0, 0, 0) : red);
            QCOMPARE(timing.pixel((i + 1) * 50 + 25, 7 * 50 + 25), expected);
            QCOMPARE(timing.pixel(7 * 50 + 25, (i + 1) * 50 + 25), expected);
            // Light marks are 17 pixels wide in the middle of their module.
            QCOMPARE(qAlpha(timing.pixel((i + 1) * 50 + 5, 7 * 50 + 5)), i % 2 && !plain ? 0 : 255);
        }
    }

    // Connected modules: a corner is rounded off exactly where neither of its sides has a dark
    // neighbour. The middle of a 3 x 3 symbol with dark neighbours above 1, right 2, below 4, left 8.
    for (int n = 0; n < 16; ++n) {
        unsigned char data[9] = {0, bool(n & 1), 0, bool(n & 8), 1, bool(n & 2), 0, bool(n & 4), 0};
        const QImage stamp = makeShapedModulePixmap(style, connectedShapeAt(QRcode{1, 3, data}, 1, 1));
        const QVector<QPair<QPoint, int>> corners{{{2, 2}, 1 | 8}, {{47, 2}, 1 | 2}, {{47, 47}, 4 | 2}, {{2, 47}, 4 | 8}};
        for (const auto &corner : corners)
            QCOMPARE(qAlpha(stamp.pixel(corner.first)), n & corner.second ? 255 : 0);
    }
}

// Where the ink of a red caption lies, and where the code starts, on a code of 21 + 2 modules.
void TestRender::caption_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QPoint>("code");
    QTest::addColumn<QRect>("inkBox");
    const QString label = QStringLiteral("中文标签");
    const QString longLabel = QStringLiteral("很长很长的标签").repeated(6);
    // Four 40-pixel characters 12 pixels apart, centred with the spacing after the last.
    const QRect below(QPoint(149, 513), QPoint(339, 550));
    QTest::newRow("Top is bottom") << label << "Top" << 0 << QPoint(0, 0) << below;
    QTest::newRow("bottom, margin 20") << label << "bottom" << 20 << QPoint(20, 20) << below;
    QTest::newRow("top, margin 20") << label << "top" << 20 << QPoint(20, 80) << below.translated(0, 48 - 513);
    // Cut in the middle at half size, centred where the whole caption would stand.
    QTest::newRow("long") << longLabel << "bottom" << 0 << QPoint(0, 0) << QRect(QPoint(20, 518), QPoint(478, 537));
    QTest::newRow("long, center") << longLabel << "center" << 0 << QPoint(0, 0) << QRect(QPoint(20, 260), QPoint(479, 278));
}

void TestRender::caption()
{
    QFETCH(QString, label);
    QFETCH(QString, position);
    QFETCH(int, margin);
    QFETCH(QPoint, code);
    QFETCH(QRect, inkBox);
    QrStyleRecord style = batchStyle(label, QStringLiteral("caption"));
    style.labelPosition = position;
    style.labelColor = QColor(red);
    style.margin = margin;
    const QString path = dir.filePath(QStringLiteral("caption.png"));
    QVERIFY(style.render(path));
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.height(), position == QLatin1String("center") ? 500 : 560);
    const QRect box = ink(image, image.rect());
    QVERIFY2((box.topLeft() - inkBox.topLeft()).manhattanLength() <= 4
                 && (box.bottomRight() - inkBox.bottomRight()).manhattanLength() <= 4,
             qPrintable(QStringLiteral("ink at %1,%2 to %3,%4").arg(box.left()).arg(box.top()).arg(box.right()).arg(box.bottom())));
    // The code starts there: its border is one module, 1/23 of its side.
    QVERIFY(qAbs(finder(image, code).x() - (500 - 2 * margin) / 23.0) <= 1);
}

// The same row gives the same file whatever the screen's resolution.
void TestRender::captionResolution()
{
    QVERIFY(writeFile(dir.filePath(QStringLiteral("rows.csv")), "name,content\n中文标签,https://example.com/\n"));
    QList<QImage> pictures;
    for (const char *dpi : {"96", "144"}) {
        QProcess batch;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_FONT_DPI"), QLatin1String(dpi));
        batch.setProcessEnvironment(environment);
        const QString out = dir.filePath(QLatin1String(dpi));
        batch.start(QCoreApplication::applicationDirPath() + QStringLiteral("/glyphora-batch"),
                    {QStringLiteral("generate"), dir.filePath(QStringLiteral("rows.csv")), out});
        QVERIFY(batch.waitForFinished(60000) && batch.exitCode() == 0);
        pictures << QImage(out + QStringLiteral("/中文标签.png"));
    }
    QCOMPARE(pictures.first().size(), QSize(500, 560));
    QVERIFY(pictures.first() == pictures.last());
}

void TestRender::fontRegistry()
{
    // The shipped collection's Simplified Chinese face, not its Japanese one.
    const QImage shipped = lettering(resolveLabelFont(QStringLiteral("SourceHanSerifCN"), false));
    QVERIFY(shipped == lettering(QStringLiteral("Noto Serif CJK SC")));
    QVERIFY(shipped != lettering(QStringLiteral("Noto Serif CJK JP")));
    // Both files of the family register one name: the weight picks the bold face.
    QrStyleRecord style;
    for (const int bold : {0, 1, 2}) {
        style.labelBold = bold;
        QCOMPARE(labelFont(style).weight(), int(bold == 1 ? QFont::Bold : QFont::Normal));
    }
    style.labelFontFamily = QStringLiteral("ZCOOL-Kuaile");
    QCOMPARE(labelFont(style).weight(), int(QFont::Normal));
}

void TestRender::background_data()
{
    QTest::addColumn<int>("sourceFrames"); // 0: a still PNG picture
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("loops"); // written to the source file: 0 endless, -1 no looping extension
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("outputFrames");
    QTest::newRow("still") << 0 << "png" << 0 << 0 << QByteArray("png") << 1;
    QTest::newRow("still, 45 degrees") << 0 << "png" << 0 << 45 << QByteArray("png") << 1;
    QTest::newRow("still, -45 does not rotate") << 0 << "png" << 0 << -45 << QByteArray("png") << 1;
    QTest::newRow("GIF is still") << 4 << "GIF" << 0 << 0 << QByteArray("png") << 1;
    QTest::newRow("gif that cannot animate") << 0 << "gif" << 0 << 0 << QByteArray("gif") << 1;
    QTest::newRow("8 frames") << 8 << "gif" << 0 << 0 << QByteArray("gif") << 8;
    QTest::newRow("9 frames, played once") << 9 << "gif" << -1 << 0 << QByteArray("gif") << 9;
    QTest::newRow("10 frames, 3 loops") << 10 << "gif" << 3 << 0 << QByteArray("gif") << 5;
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
    style.codeOffsetX = 200;
    style.codeOffsetY = 150;
    style.codeRotation = rotation;
    style.backgroundPath = dir.filePath(QStringLiteral("bg.") + suffix);
    style.backgroundSuffix = suffix;
    QVERIFY(writeBackground(style.backgroundPath, sourceFrames, loops));
    const QString path = dir.filePath(QStringLiteral("out.") + QString::fromLatin1(format));
    QVERIFY(style.render(path));

    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.imageCount(), outputFrames);
    // The looping extension as the source has it, or none.
    const auto loopBlock = [](const QString &gif) {
        const QByteArray bytes = readFile(gif);
        return bytes.mid(bytes.indexOf("NETSCAPE2.0"), bytes.contains("NETSCAPE2.0") ? 16 : 0);
    };
    if (format == "gif")
        QCOMPARE(loopBlock(path), loopBlock(style.backgroundPath));
    QTransform turn;
    if (rotation > 0)
        turn.translate(450, 400).rotate(rotation).translate(-450, -400);
    for (int i = 0; i < outputFrames; ++i) {
        const QImage frame = reader.read();
        QCOMPARE(frame.size(), QSize(900, 800));
        if (outputFrames > 1)
            QCOMPARE(reader.nextImageDelay(), 20 + 10 * i);
        for (const QPoint &margin : {QPoint(10, 250), QPoint(250, 10), QPoint(490, 250), QPoint(250, 490)})
            QCOMPARE(frame.pixel(turn.map(QPoint(200, 150) + margin)), red);
        QCOMPARE(frame.pixel(205, 155), rotation > 0 ? frameColour(i) : red);
        QCOMPARE(frame.pixel(694, 644), rotation > 0 ? frameColour(i) : red);
        QCOMPARE(frame.pixel(199, 149), frameColour(i));
        QCOMPARE(frame.pixel(700, 650), frameColour(i));
    }
    QCOMPARE(decodeQrCode(path), style.content);
}

// Pictures are read and checked once, before any row: the rows share them.
void TestRender::composition()
{
    const QrStyleRecord row = batchStyle(QStringLiteral("名"), QStringLiteral("row"));
    BatchComposition composition;
    composition.backgroundPath = dir.filePath(QStringLiteral("paper.png"));
    QVERIFY(writeBackground(composition.backgroundPath, 0, 0));
    composition.offset = QPoint(5000, 5000);
    QVERIFY(composition.load(row).contains(QStringLiteral("背景图片为 900×800 像素")));
    composition.offset = QPoint(400, 240); // 500 x 560 in the corner, exactly
    QCOMPARE(composition.load(row), QString());
    QVERIFY(QFile::remove(composition.backgroundPath));
    QrStyleRecord record = row;
    composition.applyTo(record);
    QVERIFY(record.render(dir.filePath(QStringLiteral("row.png"))));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("row.png"))).size(), QSize(900, 800));
    QVERIFY(composition.load(row).startsWith(QStringLiteral("无法读取背景图片")));
    // A picture declaring 70 million pixels is refused before it is decoded.
    QVERIFY(writeFile(composition.backgroundPath,
                      QByteArray::fromHex("4749463839611027581b0000002c000000001027581b000002003b")));
    QVERIFY(composition.load(row).startsWith(QStringLiteral("背景图片过大")));
    // A 1 x 1 frame on that logical screen decodes to the whole screen all the same.
    const QByteArray screen = QByteArray::fromHex("4749463839611027581b800000ffffff000000");
    const QByteArray dot = QByteArray::fromHex("21f90400050000002c0000000001000100000202440100");
    QVERIFY(writeFile(composition.backgroundPath, screen + dot + ";"));
    QVERIFY(composition.load(row).startsWith(QStringLiteral("背景图片过大")));
    // 16 frames of 3000 x 3000 keep 8, 72 million pixels in all.
    composition.backgroundPath = dir.filePath(QStringLiteral("long.gif"));
    QVERIFY(writeFile(composition.backgroundPath, screen.left(6) + QByteArray::fromHex("b80bb80b800000ffffff000000")
                                                      + dot.repeated(16) + ";"));
    QVERIFY(composition.load(row).contains(QStringLiteral("8 帧，每帧 3000×3000 像素")));
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
    // The logo fills the width of its box in the middle, at its own proportions; a 25-module
    // symbol at 500 pixels gets a frame of 8 pixels around it.
    for (const QPoint &direction : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
        const int half = direction.x() ? side / 2 : side * 23 / 37 / 2;
        QCOMPARE(image.pixel(QPoint(250, 250) + direction * (half - 2)), green);
        QCOMPARE(image.pixel(QPoint(250, 250) + direction * (half + 7)), blue);
        QVERIFY(image.pixel(QPoint(250, 250) + direction * (half + 9)) != blue);
    }
    if (level == 1)
        QCOMPARE(decodeQrCode(path), style.content);
}

// Written pictures decode to the pixels of the reference pictures under tests/data/render,
// drawn before codes of whole flat modules were drawn at one pixel a module and enlarged by
// area: those may differ by rounding, every other style not at all. Files are stored in the
// narrowest PNG colour type that keeps the pixels.
void TestRender::reference_data()
{
    QTest::addColumn<QrStyleRecord>("style");
    QTest::addColumn<QString>("reference");
    // Largest difference of a channel: antialiased edges differ by a step or two between
    // the processors Qt picks its drawing code for.
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<int>("colourType"); // 0 grey, 2 RGB, 4 grey and alpha, 6 RGBA
    const QString url = QStringLiteral("https://example.com/item/1?from=bench");
    QTest::newRow("batch") << batchStyle(QStringLiteral("商品1"), url) << "batch" << 3 << 4;
    QrStyleRecord style = batchStyle(QStringLiteral("顶部"), url);
    style.imageSize = 240;
    style.labelPointSize = 14;
    style.labelLetterSpacing = 2;
    style.labelPosition = QStringLiteral("top");
    style.moduleShape = 1;
    style.eyeShape = 1;
    style.darkModuleColor = QColor(0x20, 0x40, 0x90);
    style.eyeOuterColor = QColor(red);
    style.eyeInnerColor = QColor(blue);
    style.lightModuleColor = QColor(0xff, 0xee, 0x80);
    style.lightModuleSize = 30;
    QTest::newRow("round, circle eyes, top") << style << "round" << 3 << 6;
    style.labelText = QStringLiteral("中间");
    style.labelPosition = QStringLiteral("center");
    style.moduleShape = 2;
    style.eyeShape = 2;
    style.margin = 12;
    style.canvasColor = QColor(0x80, 0xc0, 0xff);
    style.canvasAlpha = 0.6;
    QTest::newRow("connected, rounded eyes, centre") << style << "connected" << 3 << 6;
    style = batchStyle(QString(), QStringLiteral("plain timing 0123456789"));
    style.imageSize = 200;
    style.plainTimingModules = true;
    style.darkModuleColor = QColor(0x90, 0x20, 0x20);
    style.eyeBackdropAlpha = 0.9;
    QTest::newRow("plain timing, no caption") << style << "timing" << 3 << 6;
    style = batchStyle(QStringLiteral("标志"), url);
    style.imageSize = 240;
    style.labelPointSize = 14;
    style.logoPath = QStringLiteral("logo.png");
    style.logoFrame = 1;
    style.logoFrameColor = QColor(green);
    QTest::newRow("logo") << style << "logo" << 3 << 6;
    style = batchStyle(QStringLiteral("背景"), url);
    style.imageSize = 160;
    style.labelPointSize = 10;
    style.margin = 8;
    style.canvasColor = QColor(red);
    style.canvasAlpha = 0.3;
    style.backgroundPath = QStringLiteral("paper.png");
    style.codeOffsetX = 60;
    style.codeOffsetY = 40;
    style.codeRotation = 30;
    QTest::newRow("still background, turned") << style << "background" << 3 << 2;
    // Version 10 at level H, 57 modules, on an opaque canvas.
    style = batchStyle(QStringLiteral("密"), QStringLiteral("0123456789abcdef").repeated(10));
    style.errorCorrectionLevel = 3;
    style.canvasAlpha = 1.0;
    QTest::newRow("version 10") << style << "dense" << 3 << 0;
}

void TestRender::reference()
{
    QFETCH(QrStyleRecord, style);
    QFETCH(QString, reference);
    QFETCH(int, tolerance);
    QFETCH(int, colourType);
    QImage picture(37, 23, QImage::Format_RGB32);
    picture.fill(green);
    QPainter(&picture).fillRect(10, 5, 17, 13, QColor(blue));
    QVERIFY(picture.save(dir.filePath(QStringLiteral("logo.png"))));
    picture = QImage(300, 260, QImage::Format_RGB32);
    picture.fill(QColor(0xd0, 0xe0, 0xa0));
    QPainter(&picture).fillRect(0, 130, 300, 130, QColor(0x40, 0x30, 0x20));
    QVERIFY(picture.save(dir.filePath(QStringLiteral("paper.png"))));
    if (!style.logoPath.isEmpty())
        style.logoPath = dir.filePath(style.logoPath);
    if (!style.backgroundPath.isEmpty())
        style.backgroundPath = dir.filePath(style.backgroundPath);
    const QString path = dir.filePath(reference + QStringLiteral(".png"));
    QVERIFY(style.render(path));
    QCOMPARE(int(readFile(path).at(25)), colourType);
    const QImage written = QImage(path).convertToFormat(QImage::Format_RGBA8888);
    const QImage expected = QImage(QStringLiteral(GLYPHORA_TEST_DATA "/render/%1.png").arg(reference))
                                .convertToFormat(QImage::Format_RGBA8888);
    QCOMPARE(written.size(), expected.size());
    QCOMPARE(written.dotsPerMeterX(), expected.dotsPerMeterX());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < 4 * expected.width(); ++x) {
            const int difference = qAbs(written.constScanLine(y)[x] - expected.constScanLine(y)[x]);
            QVERIFY2(difference <= tolerance, qPrintable(QStringLiteral("%1 at %2,%3").arg(difference).arg(x / 4).arg(y)));
        }
    }
}

QTEST_MAIN(TestRender)
#include "test_render.moc"
