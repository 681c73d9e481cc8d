#include "gif/gif_image.h"
#include "render/qr_style_record.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <gif_lib.h>
#include <opencv2/wechat_qrcode.hpp>

#include <cstring>
#include <memory>

namespace {

struct GifCloser
{
    void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};
using DecodedGif = std::unique_ptr<GifFileType, GifCloser>;

// Read back with giflib's own decoder; null when the file is not a whole GIF.
DecodedGif readGif(const QString &path)
{
    int error = 0;
    DecodedGif gif(DGifOpenFileName(QFile::encodeName(path).constData(), &error));
    if (gif && DGifSlurp(gif.get()) != GIF_OK)
        gif.reset();
    return gif;
}

// Display time of a frame in milliseconds.
int frameDelay(GifFileType *gif, int index)
{
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, index, &control) != GIF_OK)
        return -1;
    return control.DelayTime * 10;
}

// The two loop-count bytes of the first frame's NETSCAPE2.0 extension.
QByteArray loopBytes(const GifFileType *gif)
{
    const SavedImage &first = gif->SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock &name = first.ExtensionBlocks[i];
        const ExtensionBlock &data = first.ExtensionBlocks[i + 1];
        if (name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11
            && std::memcmp(name.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3)
            return QByteArray(reinterpret_cast<const char *>(data.Bytes) + 1, 2);
    }
    return QByteArray();
}

QRgb gifPixel(const GifFileType *gif, int index, QPoint at)
{
    const SavedImage &frame = gif->SavedImages[index];
    const ColorMapObject *map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    const GifColorType c = map->Colors[frame.RasterBits[at.y() * frame.ImageDesc.Width + at.x()]];
    return qRgb(c.Red, c.Green, c.Blue);
}

// Complaints of gifsicle about a file; empty when it reads it cleanly or is not installed.
QString gifsicleComplaint(const QString &path)
{
    const QString gifsicle = QStandardPaths::findExecutable(QStringLiteral("gifsicle"));
    if (gifsicle.isEmpty())
        return QString();
    QProcess process;
    process.start(gifsicle, {QStringLiteral("--info"), path});
    if (!process.waitForFinished())
        return QStringLiteral("gifsicle did not finish");
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    if (process.exitCode() != 0 || !errors.isEmpty())
        return errors.isEmpty() ? QStringLiteral("gifsicle failed") : errors;
    return QString();
}

// Reads a code as a scanner sees it printed: on white paper with a quiet zone.
QString decodeImage(const QImage &picture)
{
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

// Distinct colours that survive any palette reduction unchanged.
QRgb frameColour(int index)
{
    return qRgb(51 * (index % 6), 51 * (index / 6 % 6), 255 - 51 * (index / 36));
}

QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A smooth picture of far more than 256 colours.
QImage gradient(QSize size, int shift)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(155 + (x + shift) % 100, 155 + y % 100, 155 + (x + y) % 100));
    }
    return image;
}

// Qt's reader shows frames of 0 or 1 hundredth for 100 ms, as browsers do; these stay clear of that.
int frameDelayOf(int index)
{
    return 20 + 10 * index;
}

// An animated background; frame i shows frameColour(i) for frameDelayOf(i) milliseconds.
void writeAnimation(const QString &path, int frames, QSize size, int loopCount = 0, bool smooth = false)
{
    GifImage gif(size);
    gif.setLoopCount(loopCount);
    for (int i = 0; i < frames; ++i)
        gif.addFrame(smooth ? gradient(size, 7 * i) : solid(size, frameColour(i)), QPoint(), frameDelayOf(i));
    QVERIFY(gif.save(path));
}

// A code a scanner reads on any background: opaque white with a quiet zone.
QrStyleRecord whiteCode(const QString &content)
{
    QrStyleRecord style;
    style.content = content;
    style.imageSize = 240;
    style.margin = 20;
    style.canvasAlpha = 1.0;
    style.lightModuleSize = 50.0;
    return style;
}

const QRgb blue = qRgb(0, 0, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);

} // namespace

class TestCompose : public QObject
{
    Q_OBJECT

private slots:
    void frameSelection_data();
    void frameSelection();
    void loopCount_data();
    void loopCount();
    void manyColourFrames();
    void stillBackground_data();
    void stillBackground();
    void upperCaseGifIsStill();
    void unanimatedGifBackground();
    void logoBox_data();
    void logoBox();
    void logoDecodes();
    void absentPictures_data();
    void absentPictures();
    void failedSave_data();
    void failedSave();

private:
    QTemporaryDir dir;
};

void TestCompose::frameSelection_data()
{
    QTest::addColumn<int>("sourceFrames");
    QTest::addColumn<int>("outputFrames");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("8") << 8 << 8;
    QTest::newRow("9") << 9 << 9;
    QTest::newRow("10") << 10 << 5;
    QTest::newRow("12") << 12 << 6;
    QTest::newRow("40") << 40 << 15;
}

void TestCompose::frameSelection()
{
    QFETCH(int, sourceFrames);
    QFETCH(int, outputFrames);
    const QString background = dir.filePath(QStringLiteral("frames.gif"));
    writeAnimation(background, sourceFrames, QSize(300, 280));
    QrStyleRecord style = whiteCode(QStringLiteral("frames %1").arg(sourceFrames));
    style.backgroundPath = background;
    style.backgroundSuffix = QStringLiteral("gif");
    style.codeOffsetX = 30;
    style.codeOffsetY = 20;
    const QString path = dir.filePath(QStringLiteral("frames-out.gif"));
    QVERIFY(style.render(path));

    const DecodedGif gif = readGif(path);
    QVERIFY(gif);
    QCOMPARE(QSize(gif->SWidth, gif->SHeight), QSize(300, 280));
    QCOMPARE(gif->ImageCount, outputFrames);
    // The first frames of the background, each with its own delay, the code on each.
    for (int i = 0; i < outputFrames; ++i) {
        QCOMPARE(frameDelay(gif.get(), i), frameDelayOf(i));
        QCOMPARE(gifPixel(gif.get(), i, QPoint(295, 275)), frameColour(i));
        QCOMPARE(gifPixel(gif.get(), i, QPoint(35, 25)), qRgb(255, 255, 255));
    }
    QCOMPARE(decodeImage(QImage(path)), style.content);
    const QString complaint = gifsicleComplaint(path);
    QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
}

void TestCompose::loopCount_data()
{
    QTest::addColumn<int>("sourceLoops");
    QTest::addColumn<QByteArray>("outputBytes");
    QTest::newRow("endless") << 0 << QByteArray::fromHex("0000");
    QTest::newRow("3") << 3 << QByteArray::fromHex("0300");
    QTest::newRow("300") << 300 << QByteArray::fromHex("2c01");
}

void TestCompose::loopCount()
{
    QFETCH(int, sourceLoops);
    QFETCH(QByteArray, outputBytes);
    const QString background = dir.filePath(QStringLiteral("loop.gif"));
    writeAnimation(background, 2, QSize(260, 260), sourceLoops);
    QrStyleRecord style = whiteCode(QStringLiteral("loop"));
    style.backgroundPath = background;
    style.backgroundSuffix = QStringLiteral("gif");
    const QString path = dir.filePath(QStringLiteral("loop-out.gif"));
    QVERIFY(style.render(path));
    const DecodedGif gif = readGif(path);
    QVERIFY(gif);
    QCOMPARE(gif->ImageCount, 2);
    QCOMPARE(loopBytes(gif.get()), outputBytes);
}

// Smooth backgrounds give frames of thousands of colours; the file must still hold
// one table of at most 256 per frame, and the code must still read.
void TestCompose::manyColourFrames()
{
    const QString background = dir.filePath(QStringLiteral("smooth.gif"));
    writeAnimation(background, 3, QSize(320, 300), 0, true);
    QrStyleRecord style = whiteCode(QStringLiteral("smooth background"));
    style.backgroundPath = background;
    style.backgroundSuffix = QStringLiteral("gif");
    style.codeOffsetX = 40;
    style.codeOffsetY = 30;
    style.codeRotation = 10;
    style.canvasAlpha = 0.5;
    const QString path = dir.filePath(QStringLiteral("smooth-out.gif"));
    QVERIFY(style.render(path));
    const DecodedGif gif = readGif(path);
    QVERIFY(gif);
    QCOMPARE(gif->ImageCount, 3);
    for (int i = 0; i < gif->ImageCount; ++i)
        QVERIFY(gif->SavedImages[i].ImageDesc.ColorMap->ColorCount <= 256);
    QCOMPARE(decodeImage(QImage(path)), style.content);
    const QString complaint = gifsicleComplaint(path);
    QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
}

void TestCompose::stillBackground_data()
{
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QString>("output");
    QTest::newRow("unrotated") << 0 << "still.png";
    QTest::newRow("45 degrees") << 45 << "still.png";
    QTest::newRow("-45 does not rotate") << -45 << "still.png";
    QTest::newRow("JPEG output") << 0 << "still.JPG";
}

void TestCompose::stillBackground()
{
    QFETCH(int, rotation);
    QFETCH(QString, output);
    const QString background = dir.filePath(QStringLiteral("still-bg.png"));
    QVERIFY(solid(QSize(800, 600), blue).save(background));
    // A red frame of 20 pixels around the code shows where the canvas lies.
    QrStyleRecord style;
    style.content = QStringLiteral("still background");
    style.imageSize = 500;
    style.margin = 20;
    style.canvasColor = QColor(red);
    style.canvasAlpha = 1.0;
    style.lightModuleSize = 50.0;
    style.backgroundPath = background;
    style.backgroundSuffix = QStringLiteral("png");
    style.codeOffsetX = 150;
    style.codeOffsetY = 50;
    style.codeRotation = rotation;
    const QString path = dir.filePath(output);
    QVERIFY(style.render(path));
    const QImage image(path);
    QCOMPARE(image.size(), QSize(800, 600));

    const bool jpeg = output.endsWith(QLatin1String("JPG"));
    const auto near = [jpeg](QRgb actual, QRgb expected) {
        const int tolerance = jpeg ? 40 : 0;
        return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
            && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
    };
    // The canvas turns about its own centre, which lies at (400, 300).
    QTransform turn;
    if (rotation > 0)
        turn.translate(400, 300).rotate(rotation).translate(-400, -300);
    const QPoint offset(150, 50);
    for (const QPoint &margin : {QPoint(10, 250), QPoint(250, 10), QPoint(490, 250), QPoint(250, 490)}) {
        const QPoint at = turn.map(offset + margin);
        QVERIFY2(near(image.pixel(at), red), qPrintable(QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y())));
    }
    // The canvas corner: inside the canvas only when it is not turned.
    QVERIFY(near(image.pixel(155, 55), rotation > 0 ? blue : red));
    QVERIFY(near(image.pixel(5, 5), blue));
    QVERIFY(near(image.pixel(795, 595), blue));
    if (rotation <= 0 && !jpeg) {
        QVERIFY(near(image.pixel(149, 49), blue));
        QVERIFY(near(image.pixel(650, 550), blue));
        QVERIFY(near(image.pixel(649, 549), red));
    }
    QCOMPARE(decodeImage(image), style.content);
}

// Only the exact lower-case suffix animates; "GIF" composes on the first frame.
void TestCompose::upperCaseGifIsStill()
{
    const QString background = dir.filePath(QStringLiteral("upper.GIF"));
    writeAnimation(background, 4, QSize(300, 280));
    QrStyleRecord style = whiteCode(QStringLiteral("upper case"));
    style.backgroundPath = background;
    style.backgroundSuffix = QStringLiteral("GIF");
    style.codeOffsetX = 30;
    style.codeOffsetY = 20;
    const QString path = dir.filePath(QStringLiteral("upper.png"));
    QVERIFY(style.render(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(300, 280));
    QCOMPARE(image.pixel(295, 275), frameColour(0));
    QCOMPARE(image.pixel(29, 19), frameColour(0));
    QCOMPARE(image.pixel(31, 21), qRgb(255, 255, 255));
    QCOMPARE(decodeImage(image), style.content);
}

// A "gif" background the reader cannot animate still gives a picture: its only frame.
void TestCompose::unanimatedGifBackground()
{
    const QString background = dir.filePath(QStringLiteral("really-a-png.gif"));
    QFile file(background);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(solid(QSize(300, 280), green).save(&file, "PNG"));
    file.close();
    QrStyleRecord style = whiteCode(QStringLiteral("not animated"));
    style.backgroundPath = background;
    style.backgroundSuffix = QStringLiteral("gif");
    style.codeOffsetX = 30;
    style.codeOffsetY = 20;
    const QString path = dir.filePath(QStringLiteral("unanimated.gif"));
    QVERIFY(style.render(path));
    const DecodedGif gif = readGif(path);
    QVERIFY(gif);
    QCOMPARE(QSize(gif->SWidth, gif->SHeight), QSize(300, 280));
    QCOMPARE(gif->ImageCount, 1);
    QCOMPARE(gifPixel(gif.get(), 0, QPoint(295, 275)), green);
    QCOMPARE(decodeImage(QImage(path)), style.content);
    const QString complaint = gifsicleComplaint(path);
    QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
}

void TestCompose::logoBox_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QSize>("given");
    QTest::addColumn<QRectF>("box");
    QTest::newRow("automatic") << 1 << QSize(0, 0) << QRectF(200, 200, 100, 100);
    QTest::newRow("automatic at level H") << 3 << QSize(0, 0) << QRectF(200, 200, 100, 100);
    QTest::newRow("automatic at level L") << 0 << QSize(0, 0) << QRectF(212.5, 212.5, 75, 75);
    QTest::newRow("height 0 is automatic") << 1 << QSize(100, 0) << QRectF(200, 200, 100, 100);
    QTest::newRow("width 0 is automatic") << 0 << QSize(0, 60) << QRectF(212.5, 212.5, 75, 75);
    QTest::newRow("given size") << 1 << QSize(60, 40) << QRectF(220, 230, 60, 40);
}

void TestCompose::logoBox()
{
    QFETCH(int, level);
    QFETCH(QSize, given);
    QFETCH(QRectF, box);
    const QString logo = dir.filePath(QStringLiteral("logo.png"));
    QVERIFY(solid(QSize(37, 23), green).save(logo));
    QrStyleRecord style;
    style.content = QStringLiteral("logo");
    style.version = 2;
    style.imageSize = 500;
    style.errorCorrectionLevel = level;
    style.logoPath = logo;
    style.logoWidth = given.width();
    style.logoHeight = given.height();
    style.logoFrame = 1;
    style.logoFrameColor = QColor(blue);
    const QString path = dir.filePath(QStringLiteral("logo-out.png"));
    QVERIFY(style.render(path));
    const QImage image(path);
    QCOMPARE(image.size(), QSize(500, 500));

    // The logo fills its box; a 25-module symbol at 500 pixels gets a frame of 8 pixels.
    const QRect inner = box.toAlignedRect().adjusted(2, 2, -2, -2);
    for (const QPoint &at : {inner.topLeft(), inner.bottomRight(), inner.center()})
        QCOMPARE(image.pixel(at), green);
    const QPoint centre = box.center().toPoint();
    for (const QPoint &edge : {QPoint(int(box.left()) - 4, centre.y()), QPoint(int(box.right()) + 4, centre.y()),
                               QPoint(centre.x(), int(box.top()) - 4), QPoint(centre.x(), int(box.bottom()) + 4)})
        QCOMPARE(image.pixel(edge), blue);
    for (const QPoint &outside : {QPoint(int(box.left()) - 10, centre.y()), QPoint(int(box.right()) + 10, centre.y()),
                                  QPoint(centre.x(), int(box.top()) - 10), QPoint(centre.x(), int(box.bottom()) + 10)})
        QVERIFY(image.pixel(outside) != blue);
}

void TestCompose::logoDecodes()
{
    QImage logo(64, 64, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(4, 4, 56, 56);
    painter.end();
    const QString logoPath = dir.filePath(QStringLiteral("badge.png"));
    QVERIFY(logo.save(logoPath));
    QrStyleRecord style;
    style.content = QStringLiteral("https://example.com/shop/item?id=4711");
    style.imageSize = 500;
    style.canvasAlpha = 0.1;
    style.lightModuleSize = 50.0;
    style.logoPath = logoPath;
    style.logoFrame = 1;
    const QString path = dir.filePath(QStringLiteral("badge-code.png"));
    QVERIFY(style.render(path));
    QCOMPARE(decodeImage(QImage(path)), style.content);
}

void TestCompose::absentPictures_data()
{
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("missing logo") << "missing.png" << "" << "";
    QTest::newRow("logo not a picture") << "notes.png" << "" << "";
    QTest::newRow("missing background") << "" << "missing.png" << "png";
    QTest::newRow("missing gif background") << "" << "missing.gif" << "gif";
    QTest::newRow("background not a picture") << "" << "notes.png" << "png";
    QTest::newRow("gif background not a picture") << "" << "notes.gif" << "gif";
    QTest::newRow("both not pictures") << "notes.jpg" << "notes.gif" << "gif";
}

void TestCompose::absentPictures()
{
    QFETCH(QString, logo);
    QFETCH(QString, background);
    QFETCH(QString, suffix);
    QTemporaryDir folder;
    for (const QString &name : {QStringLiteral("notes.png"), QStringLiteral("notes.gif"), QStringLiteral("notes.jpg")}) {
        QFile notes(folder.filePath(name));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("GIF89a but not really a picture\n");
    }
    QrStyleRecord plain = whiteCode(QStringLiteral("absent pictures"));
    QrStyleRecord style = plain;
    style.logoPath = logo.isEmpty() ? QString() : folder.filePath(logo);
    style.backgroundPath = background.isEmpty() ? QString() : folder.filePath(background);
    style.backgroundSuffix = suffix;
    style.codeOffsetX = 30;
    QVERIFY(plain.render(folder.filePath(QStringLiteral("plain.png"))));
    QVERIFY(style.render(folder.filePath(QStringLiteral("out.png"))));
    QCOMPARE(QImage(folder.filePath(QStringLiteral("out.png"))), QImage(folder.filePath(QStringLiteral("plain.png"))));
}

void TestCompose::failedSave_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("name");
    QTest::newRow("animated, missing folder") << "gif" << "missing/out.gif";
    QTest::newRow("animated, folder in the way") << "gif" << "taken";
    QTest::newRow("still, missing folder") << "png" << "missing/out.png";
    QTest::newRow("still, unknown format") << "png" << "out.xyz";
}

void TestCompose::failedSave()
{
    QFETCH(QString, suffix);
    QFETCH(QString, name);
    QTemporaryDir folder;
    const QString background = folder.filePath(QStringLiteral("bg.") + suffix);
    if (suffix == QLatin1String("gif"))
        writeAnimation(background, 3, QSize(260, 260));
    else
        QVERIFY(solid(QSize(260, 260), blue).save(background));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("taken")));
    QrStyleRecord style = whiteCode(QStringLiteral("failed save"));
    style.backgroundPath = background;
    style.backgroundSuffix = suffix;
    QVERIFY(!style.render(folder.filePath(name)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{QFileInfo(background).fileName(), QStringLiteral("taken")}));
}

QTEST_MAIN(TestCompose)
#include "test_compose.moc"
