#include "gif/gif_image.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <gif_lib.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {

struct GifCloser
{
    void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};
using DecodedGif = std::unique_ptr<GifFileType, GifCloser>;

// Reads a written file back with giflib's own decoder; null when it is not a whole GIF.
DecodedGif decode(const QString &path)
{
    int error = 0;
    DecodedGif gif(DGifOpenFileName(QFile::encodeName(path).constData(), &error));
    if (gif && DGifSlurp(gif.get()) != GIF_OK)
        gif.reset();
    return gif;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Vertical stripes, one per colour.
QImage stripes(QImage::Format format, const QVector<QRgb> &colours, int width = 40, int height = 8)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours.at(x * colours.size() / width));
    }
    return image.convertToFormat(format);
}

// An indexed picture whose pixels are the given indices, one stripe each.
QImage indexedStripes(const QVector<QRgb> &table, const QVector<int> &indices)
{
    QImage image(40, 8, QImage::Format_Indexed8);
    image.setColorTable(table);
    // Written directly: setPixel refuses indices past the table.
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            line[x] = uchar(indices.at(x * indices.size() / image.width()));
    }
    return image;
}

// A picture that compresses badly, for files of several kilobytes.
QImage noise(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, qRgb(int(state >> 24), int(state >> 16) & 0xFF, int(state >> 8) & 0xFF));
        }
    }
    return image;
}

// Accepts a fixed number of bytes, then fails like a full disk.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 capacity) : capacity(capacity) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        if (written + length > capacity)
            return -1;
        written += length;
        return length;
    }

private:
    qint64 capacity;
    qint64 written = 0;
};

// Lets this process write no file larger than the limit, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved;
    void (*previousHandler)(int);
};

} // namespace

class TestGif : public QObject
{
    Q_OBJECT

private slots:
    void fileWithoutFrames();
    void screenAndFrames_data();
    void screenAndFrames();
    void loopExtension_data();
    void loopExtension();
    void frameDelay_data();
    void frameDelay();
    void colours_data();
    void colours();
    void refusesToSave_data();
    void refusesToSave();
    void writeFailure_data();
    void writeFailure();
    void failedSaveKeepsOldFile();
    void gifsicleReadsFile();

private:
    QTemporaryDir dir;
};

void TestGif::fileWithoutFrames()
{
    GifImage gif(QSize(10, 300));
    gif.addFrame(QImage(), QPoint(), 100);
    const QString path = dir.filePath(QStringLiteral("empty.gif"));
    QVERIFY(gif.save(path));
    // Signature, screen descriptor (no global table flag, 8-bit colour resolution), trailer.
    QCOMPARE(fileBytes(path), QByteArray("GIF87a") + QByteArray::fromHex("0a002c01770000") + ";");
}

void TestGif::screenAndFrames_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QVector<QRect>>("frames");
    QTest::addColumn<QSize>("screen");
    QTest::newRow("given size")
        << QSize(100, 100) << QVector<QRect>{{0, 0, 100, 100}, {0, 0, 100, 100}} << QSize(100, 100);
    QTest::newRow("frame larger than screen")
        << QSize(300, 200) << QVector<QRect>{{0, 0, 400, 400}} << QSize(300, 200);
    QTest::newRow("size from frames")
        << QSize(-1, 5) << QVector<QRect>{{0, 0, 100, 80}, {70, 40, 50, 50}} << QSize(120, 90);
}

void TestGif::screenAndFrames()
{
    QFETCH(QSize, size);
    QFETCH(QVector<QRect>, frames);
    QFETCH(QSize, screen);
    GifImage gif(size);
    for (const QRect &frame : frames)
        gif.addFrame(stripes(QImage::Format_ARGB32, {qRgb(1, 2, 3)}, frame.width(), frame.height()),
                     frame.topLeft(), 100);
    const QString path = dir.filePath(QStringLiteral("screen.gif"));
    QVERIFY(gif.save(path));
    const DecodedGif decoded = decode(path);
    QVERIFY(decoded);
    QCOMPARE(QSize(decoded->SWidth, decoded->SHeight), screen);
    QVERIFY(!decoded->SColorMap);
    QCOMPARE(decoded->ImageCount, frames.size());
    for (int i = 0; i < frames.size(); ++i) {
        const GifImageDesc &desc = decoded->SavedImages[i].ImageDesc;
        QCOMPARE(QRect(desc.Left, desc.Top, desc.Width, desc.Height), frames.at(i));
        QVERIFY(!desc.Interlace);
    }
}

void TestGif::loopExtension_data()
{
    QTest::addColumn<int>("loopCount");
    QTest::addColumn<QByteArray>("countBytes");
    QTest::newRow("forever") << 0 << QByteArray::fromHex("0000");
    QTest::newRow("three") << 3 << QByteArray::fromHex("0300");
    QTest::newRow("300") << 300 << QByteArray::fromHex("2c01");
    QTest::newRow("-1 through its low bits") << -1 << QByteArray::fromHex("ffff");
}

void TestGif::loopExtension()
{
    QFETCH(int, loopCount);
    QFETCH(QByteArray, countBytes);
    GifImage gif(QSize(100, 100));
    gif.setLoopCount(loopCount);
    gif.addFrame(stripes(QImage::Format_RGB32, {qRgb(9, 9, 9)}), QPoint(), 1000);
    gif.addFrame(stripes(QImage::Format_RGB32, {qRgb(9, 9, 9)}), QPoint(), 55);
    const QString path = dir.filePath(QStringLiteral("loop.gif"));
    QVERIFY(gif.save(path));

    // Right after the 6-byte signature and the 7-byte screen descriptor.
    const QByteArray extension = QByteArray::fromHex("21ff0b") + "NETSCAPE2.0"
        + QByteArray::fromHex("0301") + countBytes + QByteArray(1, '\0');
    const QByteArray bytes = fileBytes(path);
    QCOMPARE(bytes.left(6), QByteArray("GIF89a"));
    QCOMPARE(bytes.mid(13, extension.size()), extension);
    QCOMPARE(bytes.count("NETSCAPE2.0"), 1);

    const DecodedGif decoded = decode(path);
    QVERIFY(decoded);
    QCOMPARE(decoded->SavedImages[0].ExtensionBlockCount, 3);
    QCOMPARE(decoded->SavedImages[0].ExtensionBlocks[2].Function, GRAPHICS_EXT_FUNC_CODE);
    QCOMPARE(decoded->SavedImages[1].ExtensionBlockCount, 1);
}

void TestGif::frameDelay_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("hundredths");
    QTest::newRow("one second") << 1000 << 100;
    QTest::newRow("remainder dropped") << 55 << 5;
    QTest::newRow("under a hundredth") << 9 << 0;
    QTest::newRow("default") << -1 << 100;
    QTest::newRow("other negative") << -50 << 0;
    QTest::newRow("longer than the format holds") << 700000 << 65535;
}

void TestGif::frameDelay()
{
    QFETCH(int, delay);
    QFETCH(int, hundredths);
    GifImage gif(QSize(40, 8));
    gif.addFrame(stripes(QImage::Format_RGB32, {qRgb(0, 0, 0)}), QPoint(), 100);
    gif.addFrame(stripes(QImage::Format_RGB32, {qRgb(0, 0, 0)}), QPoint(), delay);
    const QString path = dir.filePath(QStringLiteral("delay.gif"));
    QVERIFY(gif.save(path));
    const DecodedGif decoded = decode(path);
    QVERIFY(decoded);
    GraphicsControlBlock control;
    QCOMPARE(DGifSavedExtensionToGCB(decoded.get(), 1, &control), GIF_OK);
    QCOMPARE(control.DelayTime, hundredths);
    QCOMPARE(control.TransparentColor, NO_TRANSPARENT_COLOR);
    QCOMPARE(control.DisposalMode, DISPOSAL_UNSPECIFIED);
    QVERIFY(!control.UserInputFlag);
}

void TestGif::colours_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("tableSize");
    QTest::addColumn<bool>("exact");
    const QVector<QRgb> five{qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(0, 0, 0),
                             qRgb(255, 255, 255), qRgb(90, 180, 45)};
    QVector<QRgb> wide(300);
    for (int i = 0; i < wide.size(); ++i)
        wide[i] = qRgb(i % 256, i / 2, 255 - i % 256);
    QVector<QRgb> many(400);
    for (int i = 0; i < many.size(); ++i)
        many[i] = qRgb(i % 256, i / 4, 7);

    QTest::newRow("5 colours with alpha channel") << stripes(QImage::Format_ARGB32, five) << 8 << true;
    QTest::newRow("5 colours premultiplied")
        << stripes(QImage::Format_ARGB32_Premultiplied, five) << 8 << true;
    QTest::newRow("5 colours RGB888") << stripes(QImage::Format_RGB888, five) << 8 << true;
    QTest::newRow("one colour") << stripes(QImage::Format_RGB32, {qRgb(1, 2, 3)}) << 2 << true;
    QTest::newRow("indexed, own table") << indexedStripes(five, {4, 3, 2, 1, 0}) << 8 << true;
    QTest::newRow("indexed, 300 entries") << indexedStripes(wide, {0, 120, 260, 299}) << 4 << true;
    QTest::newRow("indexed, index past table") << indexedStripes(five.mid(0, 2), {0, 1, 7}) << 4 << true;
    QTest::newRow("indexed, no table") << indexedStripes({}, {0, 128, 255}) << 4 << true;
    QTest::newRow("more than 256 colours") << stripes(QImage::Format_RGB32, many, 400, 2) << 256 << false;
}

void TestGif::colours()
{
    QFETCH(QImage, image);
    QFETCH(int, tableSize);
    QFETCH(bool, exact);
    GifImage gif(image.size());
    gif.addFrame(image, QPoint(), 100);
    const QString path = dir.filePath(QStringLiteral("colours.gif"));
    QVERIFY(gif.save(path));
    const DecodedGif decoded = decode(path);
    QVERIFY(decoded);
    const SavedImage &frame = decoded->SavedImages[0];
    const ColorMapObject *map = frame.ImageDesc.ColorMap;
    QVERIFY(map);
    QCOMPARE(map->ColorCount, tableSize);
    if (!exact)
        return;

    // What the picture shows, with out-of-table indices as black and no table as grey.
    const QImage expected = image.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> used;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const GifColorType c = map->Colors[frame.RasterBits[y * image.width() + x]];
            QCOMPARE(qRgb(c.Red, c.Green, c.Blue), expected.pixel(x, y));
            used.insert(expected.pixel(x, y));
        }
    }
    for (int i = used.size(); i < tableSize; ++i)
        QCOMPARE(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue), qRgb(0, 0, 0));
}

void TestGif::refusesToSave_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QSize(10, 10) << QRect(0, 0, 10, 10) << "missing/out.gif";
    QTest::newRow("folder in the way") << QSize(10, 10) << QRect(0, 0, 10, 10) << "folder";
    QTest::newRow("negative offset") << QSize(10, 10) << QRect(-1, 0, 10, 10) << "out.gif";
    QTest::newRow("no frames and no size") << QSize(-1, -1) << QRect() << "out.gif";
    QTest::newRow("wider than the format") << QSize(-1, -1) << QRect(0, 0, 70000, 1) << "out.gif";
}

void TestGif::refusesToSave()
{
    QFETCH(QSize, size);
    QFETCH(QRect, frame);
    QFETCH(QString, name);
    QTemporaryDir target;
    QVERIFY(QDir(target.path()).mkdir(QStringLiteral("folder")));
    GifImage gif(size);
    if (frame.isValid())
        gif.addFrame(stripes(QImage::Format_RGB32, {qRgb(0, 0, 0)}, frame.width(), frame.height()),
                     frame.topLeft(), 100);
    QVERIFY(!gif.save(QDir(target.path()).filePath(name)));
    QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("folder")});
}

void TestGif::writeFailure_data()
{
    // Bytes the device takes before failing; negative counts from the end of the file.
    QTest::addColumn<int>("capacity");
    QTest::newRow("nothing") << 0;
    QTest::newRow("in the header") << 10;
    QTest::newRow("in the extensions") << 30;
    QTest::newRow("in the picture") << 500;
    QTest::newRow("the trailer") << -1;
}

void TestGif::writeFailure()
{
    QFETCH(int, capacity);
    GifImage gif(QSize(64, 64));
    gif.addFrame(noise(64), QPoint(), 100);
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    QVERIFY(gif.write(&whole));
    QVERIFY(whole.size() > 1000);
    FailingDevice device(capacity < 0 ? whole.size() + capacity : capacity);
    QVERIFY(!gif.write(&device));
}

void TestGif::failedSaveKeepsOldFile()
{
    QTemporaryDir target;
    const QString path = QDir(target.path()).filePath(QStringLiteral("out.gif"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    GifImage gif(QSize(200, 200));
    gif.addFrame(noise(200), QPoint(), 100);
    {
        const FileSizeLimit limit(4096);
        QVERIFY(!gif.save(path));
    }
    QCOMPARE(fileBytes(path), QByteArray("old"));
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{QStringLiteral("out.gif")});
}

void TestGif::gifsicleReadsFile()
{
    const QString gifsicle = QStandardPaths::findExecutable(QStringLiteral("gifsicle"));
    if (gifsicle.isEmpty())
        QSKIP("gifsicle is not installed");
    GifImage gif(QSize(-1, -1));
    gif.setLoopCount(3);
    gif.addFrame(noise(60), QPoint(), 1000);
    gif.addFrame(stripes(QImage::Format_ARGB32, {qRgb(0, 0, 0), qRgb(255, 255, 255)}), QPoint(10, 20), 55);
    const QString path = dir.filePath(QStringLiteral("gifsicle.gif"));
    QVERIFY(gif.save(path));
    QProcess process;
    process.start(gifsicle, {QStringLiteral("--info"), path});
    QVERIFY(process.waitForFinished());
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(info.contains(QStringLiteral("2 images")), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("loop count 3")), qPrintable(info));
}

QTEST_GUILESS_MAIN(TestGif)
#include "test_gif.moc"
