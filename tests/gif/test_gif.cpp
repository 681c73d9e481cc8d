#include "gif/gif_image.h"
#include "tests/support/test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <gif_lib.h>

#include <cmath>
#include <memory>

namespace {

// Reads a file back with giflib's own decoder; null when it is not a whole GIF.
std::shared_ptr<GifFileType> decode(const QString &path)
{
    int error = 0;
    std::shared_ptr<GifFileType> gif(DGifOpenFileName(QFile::encodeName(path).constData(), &error),
                                     [](GifFileType *gif) { DGifCloseFile(gif, nullptr); });
    // giflib reports a whole file without pictures as an error.
    if (gif && DGifSlurp(gif.get()) != GIF_OK && gif->Error != D_GIF_ERR_NO_IMAG_DSCR)
        gif.reset();
    return gif;
}

// Vertical stripes, one per colour, in a format Qt would reduce to a dithered palette.
QImage stripes(const QVector<QRgb> &colours, int width = 40, int height = 8)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours.at(x * colours.size() / width));
    return image;
}

// Takes a number of bytes, then fails like a full disk.
struct FailingDevice : QIODevice
{
    explicit FailingDevice(qint64 room) : room(room) { open(WriteOnly | Unbuffered); }
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override { return (room -= length) < 0 ? -1 : length; }
    qint64 room;
};

} // namespace

class TestGif : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.gif"));

private slots:
    void frames_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QVector<QRect>>("frames");
        QTest::addColumn<QVector<QRgb>>("colours");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("tableSize");
        const QVector<QRgb> five{qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(0, 0, 0), qRgb(255, 255, 255),
                                 qRgb(90, 180, 45)};
        QVector<QRgb> many(400);
        for (int i = 0; i < many.size(); ++i)
            many[i] = qRgb(i % 256, i / 4, 7);
        using Rects = QVector<QRect>;
        QTest::newRow("no frames") << QSize(10, 300) << Rects{} << five << QSize(10, 300) << 0;
        QTest::newRow("given screen") << QSize(300, 200) << Rects{{0, 0, 400, 400}} << five << QSize(300, 200) << 8;
        QTest::newRow("from frames") << QSize(-1, 5) << Rects{{0, 0, 100, 80}, {70, 40, 50, 50}} << five
                                     << QSize(120, 90) << 8;
        QTest::newRow("400 colours") << QSize(-1, -1) << Rects{{0, 0, 400, 1}} << many << QSize(400, 1) << 256;
    }

    void frames()
    {
        QFETCH(QSize, size);
        QFETCH(QVector<QRect>, frames);
        QFETCH(QVector<QRgb>, colours);
        QFETCH(QSize, screen);
        QFETCH(int, tableSize);
        const auto rgb = [](GifColorType c) { return qRgb(c.Red, c.Green, c.Blue); };
        GifImage gif(size);
        for (const QRect &frame : frames)
            gif.addFrame(stripes(colours, frame.width(), frame.height()), frame.topLeft(), 100);
        QVERIFY(gif.save(path));
        QCOMPARE(readFile(path).left(6), QByteArray(frames.isEmpty() ? "GIF87a" : "GIF89a"));
        const auto decoded = decode(path);
        QVERIFY(decoded && !decoded->SColorMap);
        QCOMPARE(QSize(decoded->SWidth, decoded->SHeight), screen);
        QCOMPARE(decoded->ImageCount, frames.size());
        for (int i = 0; i < frames.size(); ++i) {
            const SavedImage &saved = decoded->SavedImages[i];
            const GifImageDesc &desc = saved.ImageDesc;
            QCOMPARE(QRect(desc.Left, desc.Top, desc.Width, desc.Height), frames.at(i));
            const GifColorType *table = desc.ColorMap->Colors;
            QCOMPARE(desc.ColorMap->ColorCount, tableSize);
            // More colours than a table holds cannot all survive.
            for (int x = 0; x < desc.Width && colours.size() <= tableSize; ++x)
                QCOMPARE(rgb(table[saved.RasterBits[x]]), colours.at(x * colours.size() / desc.Width));
        }
    }

    void animation_data()
    {
        QTest::addColumn<int>("loops");
        QTest::addColumn<QByteArray>("loopBytes");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("hundredths");
        QTest::newRow("loop 0, 1000 ms") << 0 << QByteArray(2, '\0') << 1000 << 100;
        QTest::newRow("loop 3, 55 ms") << 3 << QByteArray("\x03\x00", 2) << 55 << 5;
        QTest::newRow("loop 300, 9 ms") << 300 << QByteArray("\x2c\x01") << 9 << 0;
        QTest::newRow("loop -1, default") << -1 << QByteArray("\xff\xff") << -1 << 100;
        QTest::newRow("played once") << 0 << QByteArray() << 100 << 10;
    }

    void animation()
    {
        QFETCH(int, loops);
        QFETCH(QByteArray, loopBytes);
        QFETCH(int, delay);
        QFETCH(int, hundredths);
        GifImage gif(QSize(40, 8));
        gif.setLoopCount(loops);
        if (loopBytes.isEmpty())
            gif.clearLoopCount();
        gif.addFrame(stripes({qRgb(9, 9, 9)}), QPoint(), delay);
        QVERIFY(gif.save(path));
        // Right after the signature and the screen descriptor; without it, the control block.
        const QByteArray loop = loopBytes.isEmpty() ? QByteArray("\x21\xf9") : "\x21\xff\x0bNETSCAPE2.0\x03\x01" + loopBytes + '\0';
        QCOMPARE(readFile(path).mid(13, loop.size()), loop);
        const auto decoded = decode(path);
        QVERIFY(decoded);
        GraphicsControlBlock control;
        QCOMPARE(DGifSavedExtensionToGCB(decoded.get(), 0, &control), GIF_OK);
        QCOMPARE(control.DelayTime, hundredths);
        QCOMPARE(control.TransparentColor, NO_TRANSPARENT_COLOR);
    }

    void writeFails()
    {
        GifImage gif(QSize(40, 8));
        gif.addFrame(stripes({qRgb(1, 2, 3)}), QPoint(), 100);
        QVERIFY(gif.save(path));
        // A device failing in the header, and at the trailer, whose write giflib does not check.
        for (const int room : {10, readFile(path).size() - 1})
            QVERIFY(!gif.write(std::make_unique<FailingDevice>(room).get()));
        QTemporaryDir target;
        QVERIFY(!gif.save(target.filePath(QStringLiteral("missing/out.gif"))));
        QVERIFY(!withFileSizeLimit(20, [&] { return gif.save(target.filePath(QStringLiteral("out.gif"))); }));
        QVERIFY(QDir(target.path()).isEmpty());
    }

    // Frames of more colours than a table holds get a palette made for them (Qt's fixed cube
    // gives 22 dB here), with pure black and white kept exact; later frames keep only what changed.
    void quantizedFrames()
    {
        QImage first(256, 64, QImage::Format_RGB32);
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); ++x)
                first.setPixel(x, y, x < 32 && y < 16 ? (x < 16 ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) : qRgb(x, 4 * y, 255 - x));
        QImage second = first;
        second.setPixel(40, 30, qRgb(255, 0, 0));
        second.setPixel(42, 33, qRgb(255, 0, 0));
        GifImage gif(first.size());
        for (const QImage &frame : {first, second, second})
            gif.addFrame(frame, QPoint(), 100);
        QVERIFY(gif.save(path));
        const auto decoded = decode(path);
        QVERIFY(decoded && decoded->ImageCount == 3);
        const SavedImage &saved = decoded->SavedImages[0];
        double squares = 0;
        for (int i = 0; i < first.width() * first.height(); ++i) {
            const GifColorType c = saved.ImageDesc.ColorMap->Colors[saved.RasterBits[i]];
            const QRgb source = first.pixel(i % first.width(), i / first.width());
            if (i % first.width() < 32 && i / first.width() < 16)
                QCOMPARE(qRgb(c.Red, c.Green, c.Blue), source);
            squares += qPow(c.Red - qRed(source), 2) + qPow(c.Green - qGreen(source), 2) + qPow(c.Blue - qBlue(source), 2);
        }
        const double psnr = 10 * std::log10(255.0 * 255.0 * 3 * first.width() * first.height() / squares);
        QVERIFY2(psnr > 32, qPrintable(QString::number(psnr)));
        const GifImageDesc &changed = decoded->SavedImages[1].ImageDesc;
        QCOMPARE(QRect(changed.Left, changed.Top, changed.Width, changed.Height), QRect(40, 30, 3, 4));
        const GifImageDesc &same = decoded->SavedImages[2].ImageDesc;
        QCOMPARE(QRect(same.Left, same.Top, same.Width, same.Height), QRect(0, 0, 1, 1));
        // What a frame leaves is kept under the next.
        GraphicsControlBlock control;
        QCOMPARE(DGifSavedExtensionToGCB(decoded.get(), 1, &control), GIF_OK);
        QCOMPARE(control.DisposalMode, DISPOSE_DO_NOT);
    }
};

QTEST_GUILESS_MAIN(TestGif)
#include "test_gif.moc"
