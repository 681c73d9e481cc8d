#include "batch_decode/decode_pool.h"
#include "batch_decode/detector_models.h"
#include "common/input_limits.h"
#include "tests/support/test_support.h"

#include <QImageWriter>
#include <QPainter>
#include <QtTest>

#include <qrencode.h>

#include <sys/stat.h>

namespace {

const QString separator = QString::fromUtf8(resultSeparator);
const QString url = QStringLiteral("https://example.com/a");

// The symbol on white with a quiet zone; modules as squares of 4 pixels or as dots of radius 1, 3 pixels apart.
QImage symbolImage(QRcode *symbol, bool dots = false)
{
    const int width = symbol->width, module = dots ? 3 : 4;
    QImage image((width + 8) * module, (width + 8) * module, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int i = 0; i < width * width; ++i) {
        const QRectF square((i % width + 4) * module, (i / width + 4) * module, module, module);
        if (symbol->data[i] & 1)
            dots ? painter.drawEllipse(square.center(), 1, 1) : painter.drawRect(square);
    }
    QRcode_free(symbol);
    return image;
}

QImage bytesImage(const QByteArray &bytes, bool dots = false)
{
    return symbolImage(QRcode_encodeData(bytes.size(), reinterpret_cast<const uchar *>(bytes.constData()), 0, QR_ECLEVEL_M), dots);
}

// Shift-JIS text in Kanji mode (with byte segments for what is not Kanji), or Latin-1 bytes after ECI 3.
QImage segmentsImage(const QString &text, bool kanji)
{
    if (kanji)
        return symbolImage(QRcode_encodeString(QTextCodec::codecForName("Shift_JIS")->fromUnicode(text).constData(), 0, QR_ECLEVEL_M, QR_MODE_KANJI, 1));
    const QByteArray latin1 = text.toLatin1();
    QRinput *input = QRinput_new();
    QRinput_appendECIheader(input, 3);
    QRinput_append(input, QR_MODE_8, latin1.size(), reinterpret_cast<const uchar *>(latin1.constData()));
    const QImage image = symbolImage(QRcode_encodeInput(input));
    QRinput_free(input);
    return image;
}

// The picture as a file of the format.
QByteArray encoded(const QImage &image, const QByteArray &format = "png")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, format.constData()) ? bytes : QByteArray();
}
}

// An icon file whose directory lists one 16 × 16 picture, holding the PNG file given.
QByteArray iconHolding(const QByteArray &png)
{
    QByteArray entry(16, '\0');
    entry[0] = entry[1] = 16;
    qToLittleEndian<quint16>(1, entry.data() + 4);
    qToLittleEndian<quint16>(32, entry.data() + 6);
    qToLittleEndian<quint32>(quint32(png.size()), entry.data() + 8);
    qToLittleEndian<quint32>(22, entry.data() + 12);
    return QByteArray("\0\0\1\0\1\0", 6) + entry + png;
}

// A progressive JPEG file of the picture whose last scan comes extraScans times more.
QByteArray progressiveJpeg(const QImage &image, int extraScans)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    const auto byte = [&bytes](int at) { return at < bytes.size() ? uchar(bytes.at(at)) : 0xD9; };
    int at = 2;
    int lastScan = at;
    while (byte(at + 1) != 0xD9) {
        int next = at + 2 + (byte(at + 2) << 8 | byte(at + 3));
        if (byte(at + 1) == 0xDA) {
            lastScan = at;
            // The scan's data runs to the next marker that is no stuffed byte or restart.
            while (next < bytes.size() && !(byte(next) == 0xFF && byte(next + 1) != 0 && (byte(next + 1) & 0xF8) != 0xD0))
                ++next;
        }
        at = next;
    }
    return bytes.left(at) + bytes.mid(lastScan, at - lastScan).repeated(extraScans) + bytes.mid(at);
}

class TestQrDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void order();
};

void TestQrDecoder::decode_data()
{
    QTest::addColumn<QString>("engines"); // "none": both, without model files
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    // Kanji segments and character-set designators decide the text; bytes without either are guessed.
    QTest::newRow("Kanji mode") << "both" << "a.png" << encoded(segmentsImage("北京市", true)) << "北京市";
    QTest::newRow("Kanji mode and half-width kana") << "zxing" << "a.png" << encoded(segmentsImage("東京ﾀﾜｰ", true)) << "東京ﾀﾜｰ";
    QTest::newRow("Kanji mode, CNN") << "cnn" << "a.png" << encoded(segmentsImage("中文内容", true)) << "中文内容";
    QTest::newRow("ECI Latin-1") << "zxing" << "a.png" << encoded(segmentsImage("Müller", false)) << "Müller";
    QTest::newRow("ECI Latin-1, CNN") << "cnn" << "a.png" << encoded(segmentsImage("Straße", false)) << "Straße";
    const QString chinese = QStringLiteral("你好，世界");
    QTest::newRow("GB18030 bytes") << "both" << "a.png" << encoded(bytesImage(QTextCodec::codecForName("GB18030")->fromUnicode(chinese))) << chinese;
    QTest::newRow("bytes like a UTF-16 mark") << "both" << "a.png" << encoded(bytesImage("\xFF\xFEhi")) << "\u00FF\u00FEhi";
    const QImage code = bytesImage(chinese.toUtf8());
    for (const char *suffix : {"JPG", "Jpeg", "WEBP", "tiff", "bmp"})
        QTest::newRow(suffix) << "both" << QStringLiteral("a.") + suffix << encoded(code, QByteArray(suffix).toLower()) << chinese;
    QTest::newRow("JPEG named .png") << "both" << "a.png" << encoded(code, "jpg") << chinese;
    QTest::newRow("broken") << "both" << "a.png" << QByteArray("\x89PNG not really") << "";
    const int side = qCeil(qSqrt(maxPicturePixels + 1.0));
    const QByteArray tooLarge = encoded(code.convertToFormat(QImage::Format_Mono).scaled(side, side));
    QTest::newRow("more pixels than allowed") << "zxing" << "a.png" << tooLarge << "";
    // The pixels decoded count, not what an icon's directory lists.
    QTest::newRow("icon holding a PNG") << "zxing" << "a.png" << iconHolding(encoded(code)) << chinese;
    QTest::newRow("icon holding too many pixels") << "zxing" << "a.ico" << iconHolding(tooLarge) << "";
    // Every scan of a progressive JPEG is a pass over the picture: a file repeating one is refused.
    QTest::newRow("progressive JPEG") << "zxing" << "a.jpg" << progressiveJpeg(code, 0) << chinese;
    QTest::newRow("JPEG of too many scans") << "zxing" << "a.jpg" << progressiveJpeg(code, maxJpegScans) << "";
    // A picture swapped for a FIFO after the listing: refused, not waited on.
    QTest::newRow("FIFO") << "zxing" << "a.png" << QByteArray("<fifo>") << "";
    // Light on dark, faded: read by ZXing-C++ once the picture is inverted, equalised.
    QImage inverted = bytesImage(url.toUtf8()), faded = inverted.convertToFormat(QImage::Format_Grayscale8);
    inverted.invertPixels();
    for (uchar *pixel = faded.bits(); pixel < faded.bits() + faded.sizeInBytes(); ++pixel)
        *pixel = *pixel > 127 ? 125 : 112;
    QTest::newRow("inverted") << "zxing" << "a.png" << encoded(inverted) << url;
    QTest::newRow("faded") << "zxing" << "a.png" << encoded(faded) << url;
    // Small round dots escape the CNN, a mirrored code ZXing-C++.
    const QByteArray dots = encoded(bytesImage(url.toUtf8(), true));
    QTest::newRow("dots, ZXing-C++") << "zxing" << "a.png" << dots << url;
    QTest::newRow("dots, CNN") << "cnn" << "a.png" << dots << "";
    const QByteArray mirrored = encoded(bytesImage(url.toUtf8()).mirrored(true, false));
    QTest::newRow("mirrored, CNN") << "cnn" << "a.png" << mirrored << url;
    QTest::newRow("mirrored, both") << "both" << "a.png" << mirrored << url;
    QTest::newRow("Kanji mode, mirrored, CNN") << "cnn" << "a.png" << encoded(segmentsImage("北京市", true).mirrored(true, false)) << "北京市";
    QTest::newRow("dots, no models") << "none" << "a.png" << dots << url;
    // Reading order: B stands a little higher than A in the same row, C below. Only the CNN reads C (mirrored): it
    // is asked as well when ZXing-C++ finds several codes, and A and B, read by both, come once.
    const QImage a = bytesImage("A"), b = bytesImage("B"), c = bytesImage(url.toUtf8()).mirrored(true, false);
    QImage three(a.width() * 2 + 20, a.height() + c.height() + 40, QImage::Format_RGB32);
    three.fill(Qt::white);
    QPainter(&three).drawImage(0, 20, a);
    QPainter(&three).drawImage(a.width() + 20, 8, b);
    QPainter(&three).drawImage(0, a.height() + 40, c);
    QTest::newRow("three codes, both") << "both" << "a.png" << encoded(three) << "A" + separator + "B" + separator + url;
    QTest::newRow("three codes, CNN") << "cnn" << "a.png" << encoded(three) << "A" + separator + "B" + separator + url;
    QTest::newRow("three codes, ZXing-C++") << "zxing" << "a.png" << encoded(three) << "A" + separator + "B";
    // A and B under a dither that only ZXing-C++'s reading at a third of the size averages out, below C that only the
    // CNN reads: A and B must be placed where they stand in the whole picture, in the row after C.
    QImage dithered(a.width() * 3 + 60, a.height() * 3 + 60, QImage::Format_RGB32);
    dithered.fill(Qt::white);
    QPainter(&dithered).drawImage(0, a.height() * 3 / 2 + 30, a.scaled(a.size() * 3 / 2));
    QPainter(&dithered).drawImage(a.width() * 3 / 2 + 30, a.height() * 3 / 2 + 30, b.scaled(b.size() * 3 / 2));
    for (int y = 0; y < dithered.height(); ++y)
        for (int x = y % 3; x < dithered.width(); x += 3)
            dithered.setPixel(x, y, dithered.pixel(x, y) ^ 0xFFFFFF);
    QPainter(&dithered).drawImage(0, 0, c);
    QTest::newRow("read at a third of the size") << "both" << "a.png" << encoded(dithered) << url + separator + "A" + separator + "B";
    const QDir photos(GLYPHORA_TEST_DATA "/batch_decode/qr-photos");
    for (const QString &photo : photos.entryList({"*.webp"}))
        QTest::newRow(qPrintable(photo)) << "both" << photo << readFile(photos.filePath(photo)) << QString::fromUtf8(readFile(photos.filePath(photo.chopped(5) + ".txt")));
}

void TestQrDecoder::decode()
{
    QFETCH(QString, engines);
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QTemporaryDir dir;
    if (file == "<fifo>")
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(name)).constData(), 0600), 0);
    else
        QVERIFY(writeFile(dir.filePath(name), file));
    const DecodeEngines choice = engines == "cnn" ? DecodeEngines::Cnn : engines == "zxing" ? DecodeEngines::Zxing : DecodeEngines::Both;
    DecodePool pool(engines == "none" ? QStringList() : findDetectorModels(detectorModelFolders()), choice);
    QCOMPARE(pool.lacksModels(), engines == "none");
    pool.add(dir.filePath(name));
    QCOMPARE(pool.takeNext(), text);
}

// Results come in the order the pictures were added, with more pictures than are decoded at a time.
void TestQrDecoder::order()
{
    QTemporaryDir dir;
    DecodePool pool(findDetectorModels(detectorModelFolders()), DecodeEngines::Both);
    for (int i = 0; i < 12; ++i) {
        QVERIFY(bytesImage(QByteArray::number(i)).save(dir.filePath(QString::number(i) + ".png")));
        pool.add(dir.filePath(QString::number(i) + ".png"));
    }
    for (int i = 0; i < 12; ++i)
        QCOMPARE(pool.takeNext(), QString::number(i));
}

QTEST_MAIN(TestQrDecoder)
#include "test_qr_decoder.moc"
