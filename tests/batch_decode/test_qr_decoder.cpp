#include "batch_decode/cnn_reader.h"
#include "batch_decode/decode_pool.h"
#include "batch_decode/found_code.h"
#include "batch_decode/picture_variants.h"
#include "batch_decode/detector_models.h"
#include "common/input_limits.h"
#include "tests/support/test_support.h"

#include <QImageWriter>
#include <QPainter>
#include <QtTest>

#include <qrencode.h>

#include <sys/stat.h>
#include <opencv2/imgproc.hpp>

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

// The bytes after a character-set designator.
QImage eciImage(int eci, const QByteArray &bytes)
{
    QRinput *input = QRinput_new();
    QRinput_appendECIheader(input, eci);
    QRinput_append(input, QR_MODE_8, bytes.size(), reinterpret_cast<const uchar *>(bytes.constData()));
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

// The code in the top left corner of a 1000 x 1000 picture, beside rows of
// finder look-alikes (modules of 3 pixels, one every 24 pixels) until count.
QImage amongFinderLookalikes(const QImage &code, int count)
{
    QImage image(1000, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, code);
    for (int y = 0; y + 24 <= 1000 && count > 0; y += 24) {
        for (int x = y < code.height() ? code.width() : 0; x + 24 <= 1000 && count > 0; x += 24, --count) {
            painter.fillRect(x, y, 21, 21, Qt::black);
            painter.fillRect(x + 3, y + 3, 15, 15, Qt::white);
            painter.fillRect(x + 6, y + 6, 9, 9, Qt::black);
        }
    }
    return image;
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
    void payload_data();
    void payload();
    void variant_data();
    void variant();
    void merge_data();
    void merge();
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
    // The detectors try every three finder patterns: hundreds are a sheet of codes, thousands are refused.
    QTest::newRow("beside 200 finder look-alikes") << "both" << "a.png" << encoded(amongFinderLookalikes(code, 200)) << chinese;
    QTest::newRow("beside 1600 finder look-alikes") << "both" << "a.png" << encoded(amongFinderLookalikes(code, 1600)) << "";
    // A dashed path of thousands of segments takes Qt minutes to draw: refused.
    QByteArray dashed = "<svg xmlns='http://www.w3.org/2000/svg' width='1000' height='1000'><path d='M0 0";
    for (int i = 1; i <= 20000; ++i)
        dashed += " L" + QByteArray::number(i * 37 % 1000) + ' ' + QByteArray::number(i * 53 % 1000);
    QTest::newRow("dashed SVG path") << "zxing" << "a.svg" << dashed + "' stroke='black' stroke-dasharray='1 1'/></svg>" << "";
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
    QTest::newRow("dots, CNN, thickened") << "cnn" << "a.png" << dots << url;
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
    // A small code in the quiet zone of a large one: each listed once. The detector alone misses the small one.
    QImage outer = bytesImage(url.toUtf8()).scaled(QSize(4, 4) * 4 * 33, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPainter(&outer).drawImage(2, 2, bytesImage("inner").scaled(QSize(2, 2) * 29, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    for (const char *engines : {"both", "zxing"})
        QTest::newRow(qPrintable(QStringLiteral("code in a quiet zone, ") + engines)) << engines << "a.png" << encoded(outer) << "inner" + separator + url;
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

void TestQrDecoder::payload_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<int>("eci"); // 0: none
    QTest::addColumn<QString>("text");
    const struct {
        const char *encoding;
        int eci;
        const char *text;
    } rows[] = {
        {"GB18030", 0, "张伟"}, {"GB18030", 0, "李娜"}, {"GB18030", 0, "刘洋"}, {"GB18030", 0, "陈静"},
        {"GB18030", 0, "王小明"}, {"GB18030", 0, "周杰伦"}, {"GB18030", 0, "欧阳娜娜"}, {"GB18030", 0, "芯片"},
        {"GB18030", 0, "北京市朝阳区建国路88号"}, {"GB18030", 0, "上海市浦东新区世纪大道100号"},
        {"GB18030", 0, "华为P40手机"}, {"GB18030", 0, "小米13 Pro 256GB"}, {"GB18030", 0, "iPhone手机壳"},
        {"GB18030", 0, "产品编号A12B"}, {"GB18030", 0, "你好，世界"},
        {"Shift_JIS", 0, "モバイル"}, {"Shift_JIS", 0, "こんにちは"}, {"Shift_JIS", 0, "東京"},
        {"Shift_JIS", 0, "山田太郎"}, {"Shift_JIS", 0, "株式会社"}, {"Shift_JIS", 0, "日本語テキスト"},
        {"Shift_JIS", 0, "ﾃﾞｻﾞｲﾝ"}, {"Shift_JIS", 0, "ｶﾞｰﾃﾞﾝ"}, {"Shift_JIS", 0, "ｺｰﾋｰ"}, {"Shift_JIS", 0, "ｱｲｳ"},
        {"Shift_JIS", 0, "ID: ﾊﾟｽﾜｰﾄﾞ"}, {"Shift_JIS", 0, "東京タワー 333m"},
        {"ISO-8859-1", 0, "Müller Straße"}, {"ISO-8859-1", 0, "größe"}, {"ISO-8859-1", 0, "Café"},
        {"ISO-8859-1", 0, "Ça va?"}, {"ISO-8859-1", 0, "Crème brûlée"}, {"ISO-8859-1", 0, "ÉTÉ"},
        {"ISO-8859-1", 0, "¿Qué tal?"}, {"ISO-8859-1", 0, "Señor Peña"}, {"ISO-8859-1", 0, "año"},
        {"ISO-8859-1", 0, "Åse Sørensen"}, {"ISO-8859-1", 0, "Jönköping"}, {"ISO-8859-1", 0, "Ærø"}, {"ISO-8859-1", 0, "Øl"},
        {"UTF-8", 0, "二维码批量生成"}, {"UTF-8", 0, "日本語のテキスト"}, {"UTF-8", 0, "Grüße 😀🎉"}, {"UTF-8", 0, "Привет"},
        {"UTF-8", 0, "https://example.com/s?q=%E4&id=42#top"}, {"UTF-8", 0, "WIFI:T:WPA;S:office;P:a b;;"},
        {"Shift_JIS", 20, "ｺｰﾋｰ"}, {"UTF-8", 26, "张伟"}, {"ISO-8859-1", 3, "ÕÅÎ°"}, {"GB18030", 29, "ﾃﾞｻﾞｲﾝ"},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(row.encoding).arg(row.eci).arg(text))) << QByteArray(row.encoding) << row.eci << text;
    }
}

// Bytes exactly as given, read by each engine; mirrored, the CNN reads the code without ZXing-C++'s help.
void TestQrDecoder::payload()
{
    QFETCH(QByteArray, encoding);
    QFETCH(int, eci);
    QFETCH(QString, text);
    static CnnReader cnn(findDetectorModels(detectorModelFolders()));
    QVERIFY(cnn.isReady());
    const QByteArray bytes = QTextCodec::codecForName(encoding)->fromUnicode(text);
    QCOMPARE(QTextCodec::codecForName(encoding)->toUnicode(bytes), text);
    const QImage image = eci ? eciImage(eci, bytes) : bytesImage(bytes);
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.png"), mirrored = dir.filePath("mirrored.png");
    QVERIFY(image.save(plain) && image.mirrored(true, false).save(mirrored));
    QCOMPARE(decodeQrImage(plain, DecodeEngines::Zxing, &cnn), text);
    QCOMPARE(decodeQrImage(plain, DecodeEngines::Cnn, &cnn), text);
    if (!eci)
        QCOMPARE(decodeQrImage(mirrored, DecodeEngines::Cnn, &cnn), text);
}

cv::Mat greyMat(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    return cv::Mat(grey.height(), grey.width(), CV_8UC1, const_cast<uchar *>(grey.constBits()), size_t(grey.bytesPerLine())).clone();
}

QImage greyImage(const cv::Mat &grey)
{
    return QImage(grey.data, grey.cols, grey.rows, int(grey.step), QImage::Format_Grayscale8).copy();
}

void TestQrDecoder::variant_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QPointF>("centre"); // of the code
    QTest::newRow("small dots, thickened") << int(PictureVariant::Thickened) << bytesImage(url.toUtf8(), true) << QPointF(49.5, 49.5);
    // The top edge of the code seen at a quarter of its width, as from far below; its middle moves up to y = 80.
    QImage code = bytesImage(url.toUtf8()).scaled(264, 264);
    QImage slanted(400, 400, QImage::Format_RGB32);
    slanted.fill(Qt::white);
    QPainter(&slanted).drawImage(68, 68, code);
    const cv::Mat flat = greyMat(slanted);
    const std::vector<cv::Point2f> from{{0, 0}, {400, 0}, {400, 400}, {0, 400}}, to{{150, 0}, {250, 0}, {400, 400}, {0, 400}};
    cv::Mat warped;
    cv::warpPerspective(flat, warped, cv::getPerspectiveTransform(from, to), flat.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
    QTest::newRow("strong perspective, turned") << int(PictureVariant::Turned)
        << greyImage(warped) << QPointF(200, 80);
    // A 41-module code at 1.2 pixels a module in a noisy thumbnail; the noise is drawn the same every run.
    const QImage big = symbolImage(QRcode_encodeString(url.toUtf8().constData(), 6, QR_ECLEVEL_M, QR_MODE_8, 1));
    cv::Mat tiny = greyMat(big.scaled(59, 59, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)), noisy, noise(tiny.size(), CV_16S);
    cv::RNG(1).fill(noise, cv::RNG::NORMAL, 0, 35);
    tiny.convertTo(noisy, CV_16S);
    noisy += noise;
    noisy.convertTo(tiny, CV_8U);
    QTest::newRow("noisy, one pixel a module, enlarged") << int(PictureVariant::Enlarged) << greyImage(tiny) << QPointF(29.5, 29.5);
    // The code seen from far off its left side, its right side a third as tall as its left one, slightly blurred.
    const std::vector<cv::Point2f> square{{68, 68}, {332, 68}, {332, 332}, {68, 332}}, seen{{60, 40}, {340, 150}, {340, 250}, {60, 360}};
    cv::Mat steep;
    cv::warpPerspective(flat, steep, cv::getPerspectiveTransform(square, seen), flat.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
    cv::GaussianBlur(steep, steep, cv::Size(0, 0), 1.2);
    QTest::newRow("strong perspective with blur, rectified") << int(PictureVariant::Rectified)
        << greyImage(steep) << QPointF(200, 200);
}

// Each picture is beyond the detector as it is and within it in one variant only.
void TestQrDecoder::variant()
{
    QFETCH(int, variant);
    QFETCH(QImage, picture);
    QFETCH(QPointF, centre);
    static CnnReader cnn(findDetectorModels(detectorModelFolders()));
    QVERIFY(cnn.isReady());
    const cv::Mat grey = greyMat(picture);
    QVERIFY(cnn.read(grey).isEmpty());
    for (const PictureVariant tried : {PictureVariant::Thickened, PictureVariant::Enlarged, PictureVariant::Turned, PictureVariant::Rectified}) {
        const QList<FoundCode> codes = readPictureVariant(grey, cnn, tried);
        QCOMPARE(codes.size(), int(tried) == variant ? 1 : 0);
        if (codes.isEmpty())
            continue;
        QCOMPARE(codes.first().text, url);
        // Corners in the picture's own pixels.
        QVERIFY(QLineF(codes.first().corners.boundingRect().center(), centre).length() < picture.width() / 10.0);
    }
    QCOMPARE(readPictureVariants(grey, cnn).size(), 1);
}

void TestQrDecoder::merge_data()
{
    QTest::addColumn<QRectF>("first"); // as ZXing-C++ outlines a code
    QTest::addColumn<QRectF>("second"); // as the detector boxes one, or another code
    QTest::addColumn<QByteArray>("secondBytes");
    QTest::addColumn<QString>("text");
    const QRectF code(100, 100, 100, 100);
    // The detector's box, larger and shifted, holds the whole code but not its centre.
    QTest::newRow("one code, box off centre") << code << QRectF(90, 90, 240, 240) << QByteArray("a") << "a";
    QTest::newRow("one code, box inside") << code << QRectF(120, 120, 40, 40) << QByteArray("a") << "a";
    QTest::newRow("two equal codes side by side") << code << QRectF(205, 100, 100, 100) << QByteArray("a") << "a" + separator + "a";
    QTest::newRow("equal codes overlapping a little") << code << QRectF(170, 100, 100, 100) << QByteArray("a") << "a" + separator + "a";
    QTest::newRow("other code inside") << code << QRectF(110, 110, 30, 30) << QByteArray("b") << "b" + separator + "a";
}

void TestQrDecoder::merge()
{
    QFETCH(QRectF, first);
    QFETCH(QRectF, second);
    QFETCH(QByteArray, secondBytes);
    QFETCH(QString, text);
    const QList<FoundCode> codes{{"a", "a", QPolygonF(first)}, {secondBytes, QString::fromLatin1(secondBytes), QPolygonF(second)}};
    QCOMPARE(joinInReadingOrder(codes), text);
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
