#include "batch_decode/decode_pool.h"
#include "batch_decode/detector_models.h"
#include "common/input_limits.h"
#include "gif/gif_image.h"
#include "tests/support/test_support.h"

#include <QPainter>
#include <QtTest>

#include <qrencode.h>

namespace {

const QString separator = QString::fromUtf8(resultSeparator);
const QString url = QStringLiteral("https://example.com/a");

// The symbol on white with a quiet zone; modules as squares of 4 pixels or as dots of radius 1, 3 pixels apart.
QImage symbolImage(QRcode *symbol, bool dots = false)
{
    const int width = symbol->width;
    const int moduleSize = dots ? 3 : 4;
    QImage image((width + 8) * moduleSize, (width + 8) * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int i = 0; i < width * width; ++i) {
        const QRect module((i % width + 4) * moduleSize, (i / width + 4) * moduleSize, moduleSize, moduleSize);
        if (symbol->data[i] & 1)
            dots ? painter.drawEllipse(QRectF(module).center(), 1, 1) : painter.fillRect(module, Qt::black);
    }
    QRcode_free(symbol);
    return image;
}

QImage bytesImage(const QByteArray &bytes, bool dots = false)
{
    return symbolImage(QRcode_encodeData(bytes.size(), reinterpret_cast<const uchar *>(bytes.constData()), 0, QR_ECLEVEL_M), dots);
}

QImage kanjiImage(const QString &text)
{
    const QByteArray shiftJis = QTextCodec::codecForName("Shift_JIS")->fromUnicode(text);
    return symbolImage(QRcode_encodeString(shiftJis.constData(), 0, QR_ECLEVEL_M, QR_MODE_KANJI, 1));
}

// A byte segment of Latin-1 declared by ECI 3.
QImage eciImage(const QString &text)
{
    const QByteArray latin1 = text.toLatin1();
    QRinput *input = QRinput_new();
    QRinput_appendECIheader(input, 3);
    QRinput_append(input, QR_MODE_8, latin1.size(), reinterpret_cast<const uchar *>(latin1.constData()));
    const QImage image = symbolImage(QRcode_encodeInput(input));
    QRinput_free(input);
    return image;
}

// The picture as a file of the format: GIF by the product's writer (Qt has none), SVG embedding a PNG.
QByteArray encoded(const QImage &image, const QByteArray &format = "png")
{
    if (format == "svg")
        return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' width='200' height='200'>"
               "<image width='200' height='200' xlink:href='data:image/png;base64,"
            + encoded(image).toBase64() + "'/></svg>";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    GifImage gif(QSize(-1, -1));
    gif.addFrame(image, QPoint(), -1);
    return (format == "gif" ? gif.write(&buffer) : image.save(&buffer, format.constData())) ? bytes : QByteArray();
}

}

class TestQrDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
};

void TestQrDecoder::decode_data()
{
    QTest::addColumn<QString>("engines"); // "none": both, without model files
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    // Kanji segments and character-set designators decide the text; bytes without either are guessed.
    QTest::newRow("Kanji mode") << "both" << "a.png" << encoded(kanjiImage("北京市")) << "北京市";
    QTest::newRow("Kanji mode, CNN") << "cnn" << "a.png" << encoded(kanjiImage("中文内容")) << "中文内容";
    QTest::newRow("ECI Latin-1") << "zxing" << "a.png" << encoded(eciImage("Müller")) << "Müller";
    QTest::newRow("ECI Latin-1, CNN") << "cnn" << "a.png" << encoded(eciImage("Straße")) << "Straße";
    const QString chinese = QStringLiteral("你好，世界");
    QTest::newRow("GB18030 bytes") << "both" << "a.png" << encoded(bytesImage(QTextCodec::codecForName("GB18030")->fromUnicode(chinese))) << chinese;
    QTest::newRow("Latin-1 bytes, CNN") << "cnn" << "a.png" << encoded(bytesImage("na\xEFve caf\xE9")) << "na\u00EFve caf\u00E9";
    QTest::newRow("bytes like a UTF-16 mark") << "both" << "a.png" << encoded(bytesImage("\xFF\xFEhi")) << "\u00FF\u00FEhi";
    QTest::newRow("UTF-8 mark") << "both" << "a.png" << encoded(bytesImage("\xEF\xBB\xBFhi")) << QStringLiteral("\uFEFFhi");
    const QImage code = bytesImage(chinese.toUtf8());
    for (const char *suffix : {"JPG", "Jpeg", "gif", "WEBP", "tiff", "bmp", "SVG"})
        QTest::newRow(suffix) << "both" << QStringLiteral("a.") + suffix << encoded(code, QByteArray(suffix).toLower()) << chinese;
    QTest::newRow("JPEG named .png") << "both" << "a.png" << encoded(code, "jpg") << chinese;
    QTest::newRow("no code") << "both" << "a.png" << encoded(code.copy(0, 0, 40, 40)) << "";
    QTest::newRow("broken") << "both" << "a.png" << QByteArray("\x89PNG not really") << "";
    QImage huge(9000, qCeil(maxPicturePixels / 9000.0) + 1, QImage::Format_Mono);
    huge.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    huge.fill(1);
    for (int i = 0; i < code.width() * code.height(); ++i)
        huge.setPixel(i % code.width(), i / code.width(), qGray(code.pixel(i % code.width(), i / code.width())) > 127);
    QTest::newRow("more pixels than allowed") << "zxing" << "a.png" << encoded(huge) << "";
    // Light on dark, faded, noisy: read by ZXing-C++ once the picture is inverted, equalised, shrunk.
    const QImage plain = bytesImage(url.toUtf8());
    QImage inverted = plain, faded = plain.convertToFormat(QImage::Format_Grayscale8), noisy = plain.scaled(plain.size() * 2);
    inverted.invertPixels();
    for (int y = 0; y < faded.height(); ++y) {
        for (int x = 0; x < faded.width(); ++x)
            faded.setPixel(x, y, qGray(faded.pixel(x, y)) > 127 ? 125 : 112);
    }
    QRandomGenerator noise(1);
    for (int i = 0; i < noisy.width() * noisy.height(); ++i) {
        const int grey = qBound(0, qGray(noisy.pixel(i % noisy.width(), i / noisy.width())) + int(noise.bounded(240)) - 120, 255);
        noisy.setPixel(i % noisy.width(), i / noisy.width(), qRgb(grey, grey, grey));
    }
    QTest::newRow("inverted") << "zxing" << "a.png" << encoded(inverted) << url;
    QTest::newRow("faded") << "zxing" << "a.png" << encoded(faded) << url;
    QTest::newRow("noisy") << "zxing" << "a.png" << encoded(noisy) << url;
    // Small round dots escape the CNN, a mirrored code ZXing-C++.
    const QByteArray dots = encoded(bytesImage(url.toUtf8(), true));
    QTest::newRow("dots, ZXing-C++") << "zxing" << "a.png" << dots << url;
    QTest::newRow("dots, CNN") << "cnn" << "a.png" << dots << "";
    QTest::newRow("dots, both") << "both" << "a.png" << dots << url;
    const QByteArray mirrored = encoded(bytesImage(url.toUtf8()).mirrored(true, false));
    QTest::newRow("mirrored, ZXing-C++") << "zxing" << "a.png" << mirrored << "";
    QTest::newRow("mirrored, CNN") << "cnn" << "a.png" << mirrored << url;
    QTest::newRow("mirrored, both") << "both" << "a.png" << mirrored << url;
    QTest::newRow("Kanji mode, mirrored, CNN") << "cnn" << "a.png" << encoded(kanjiImage("北京市").mirrored(true, false)) << "北京市";
    QTest::newRow("mirrored, no models") << "none" << "a.png" << mirrored << "";
    QTest::newRow("dots, no models") << "none" << "a.png" << dots << url;
    // Reading order: B stands a little higher than A in the same row, C below. Only the CNN reads C (mirrored): it
    // is asked as well when ZXing-C++ finds several codes, and A and B, read by both, come once.
    const QImage a = bytesImage("A"), b = bytesImage("B"), c = bytesImage(url.toUtf8()).mirrored(true, false);
    QImage three(a.width() * 2 + 20, a.height() + c.height() + 40, QImage::Format_RGB32);
    three.fill(Qt::white);
    QPainter painter(&three);
    painter.drawImage(0, 20, a);
    painter.drawImage(a.width() + 20, 8, b);
    painter.drawImage(0, a.height() + 40, c);
    painter.end();
    const QString ab = "A" + separator + "B";
    QTest::newRow("three codes, both") << "both" << "a.png" << encoded(three) << ab + separator + url;
    QTest::newRow("three codes, CNN") << "cnn" << "a.png" << encoded(three) << ab + separator + url;
    QTest::newRow("three codes, ZXing-C++") << "zxing" << "a.png" << encoded(three) << ab;
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
    QVERIFY(writeFile(dir.filePath(name), file));
    const DecodeEngines choice = engines == "cnn" ? DecodeEngines::Cnn : engines == "zxing" ? DecodeEngines::Zxing : DecodeEngines::Both;
    DecodePool pool(engines == "none" ? QStringList() : findDetectorModels(detectorModelFolders()), choice);
    QCOMPARE(pool.lacksModels(), engines == "none");
    pool.add(dir.filePath(name));
    QCOMPARE(pool.takeNext(), text);
}

QTEST_MAIN(TestQrDecoder)
#include "test_qr_decoder.moc"
