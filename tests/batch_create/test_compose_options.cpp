#include "gif/gif_image.h"
#include "tests/batch_create/test_helpers.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The logo and background options of glyphora-batch generate, run as a user would.
class TestComposeOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generate_data();
    void generate();

private:
    QTemporaryDir pictures;
};

namespace {

const QRgb paper = qRgb(255, 250, 220);
const QRgb green = qRgb(0, 200, 0);

QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}

void TestComposeOptions::initTestCase()
{
    QVERIFY(solid(QSize(40, 40), green).save(pictures.filePath(QStringLiteral("logo.png"))));
    QVERIFY(solid(QSize(800, 700), paper).save(pictures.filePath(QStringLiteral("paper.jpg"))));
    GifImage gif(QSize(620, 640));
    for (int i = 0; i < 3; ++i)
        gif.addFrame(solid(QSize(620, 640), qRgb(255, 255 - 20 * i, 220)), QPoint(), 100);
    QVERIFY(gif.save(pictures.filePath(QStringLiteral("waves.GIF"))));
    QVERIFY(writeFile(pictures.filePath(QStringLiteral("notes.png")), "not a picture"));
}

void TestComposeOptions::generate_data()
{
    QTest::addColumn<QStringList>("options"); // "<pictures>" stands for the folder of test pictures
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("picture"); // the file written for the row, empty for none
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QString>("err");

    QTest::newRow("logo") << QStringList{"--logo", "<pictures>/logo.png"} << 0 << "甲.png" << QSize(500, 560) << 1 << "";
    QTest::newRow("logo with =") << QStringList{"--logo=<pictures>/logo.png"} << 0 << "甲.png" << QSize(500, 560) << 1
                                 << "";
    QTest::newRow("still background") << QStringList{"--background", "<pictures>/paper.jpg", "--offset", "150,60"} << 0
                                      << "甲.png" << QSize(800, 700) << 1 << "";
    QTest::newRow("turned on a still background")
        << QStringList{"--background", "<pictures>/paper.jpg", "--offset", "150,60", "--rotation", "30", "--logo",
                       "<pictures>/logo.png"}
        << 0 << "甲.png" << QSize(800, 700) << 1 << "";
    QTest::newRow("animated background") << QStringList{"--background", "<pictures>/waves.GIF", "--offset", "60,20"} << 0
                                         << "甲.gif" << QSize(620, 640) << 3 << "";
    QTest::newRow("missing logo") << QStringList{"--logo", "<pictures>/none.png"} << 1 << "" << QSize() << 0
                                  << "无法读取Logo图片：";
    QTest::newRow("background not a picture") << QStringList{"--background", "<pictures>/notes.png"} << 1 << ""
                                              << QSize() << 0 << "无法读取背景图片：";
    QTest::newRow("logo without value") << QStringList{"--logo"} << 2 << "" << QSize() << 0 << "选项 --logo 缺少值";
    QTest::newRow("offset of one number") << QStringList{"--background", "<pictures>/paper.jpg", "--offset", "15"} << 2
                                          << "" << QSize() << 0 << "偏移应为两个整数";
    QTest::newRow("offset too far") << QStringList{"--background", "<pictures>/paper.jpg", "--offset", "1,99999999999"}
                                    << 2 << "" << QSize() << 0 << "偏移应为两个整数";
    QTest::newRow("rotation not a number") << QStringList{"--background", "<pictures>/paper.jpg", "--rotation", "x"}
                                           << 2 << "" << QSize() << 0 << "旋转角度应为";
    QTest::newRow("offset without background") << QStringList{"--offset", "1,2"} << 2 << "" << QSize() << 0
                                               << "需要与 --background 一起使用";
}

void TestComposeOptions::generate()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, picture);
    QFETCH(QSize, size);
    QFETCH(int, frames);
    QFETCH(QString, err);
    QTemporaryDir tmp;
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    const QString save = tmp.filePath(QStringLiteral("save"));
    QVERIFY(writeFile(csvPath, "名称,内容\n甲,hello\n"));
    options.replaceInStrings(QStringLiteral("<pictures>"), pictures.path());

    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/glyphora-batch"),
                  QStringList{QStringLiteral("generate"), csvPath, save} + options);
    QVERIFY(process.waitForFinished(60000));
    const QString standardErr = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(standardErr.contains(err), qPrintable(standardErr));
    if (picture.isEmpty()) {
        // Refused before the run: nothing is written.
        QVERIFY(!QFile::exists(save));
        return;
    }

    QCOMPARE(QDir(save).entryList(QDir::Files), QStringList{picture});
    const QString path = save + QLatin1Char('/') + picture;
    QImageReader reader(path);
    QCOMPARE(reader.format(), QFileInfo(path).suffix().toLatin1());
    QCOMPARE(reader.size(), size);
    QCOMPARE(reader.imageCount(), frames);
    QCOMPARE(decodeQrCode(path), QStringLiteral("hello"));
    if (size == QSize(500, 560))
        QCOMPARE(QImage(path).pixel(250, 250), green);
    const QString gifsicle = QStandardPaths::findExecutable(QStringLiteral("gifsicle"));
    if (frames > 1 && !gifsicle.isEmpty()) {
        QProcess info;
        info.start(gifsicle, {QStringLiteral("--info"), path});
        QVERIFY(info.waitForFinished());
        QCOMPARE(info.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(info.readAllStandardError()), QString());
    }
}

int runComposeOptionsTests(int argc, char **argv)
{
    TestComposeOptions tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_compose_options.moc"
