#include "batch_create/batch_create.h"
#include "tests/batch_create/test_helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class TestBatchCreate : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void linkOutOfTheFolderIsRefused();
    void parallelRunKeepsRowOrder();
    void cacheFolderFailureIsANotice();
};

namespace {

const QString errorSummary = QStringLiteral("成功：%1 个， 错误：%2 个，请在保存路径查看错误日志");

QStringList rows(std::initializer_list<QString> firstFields)
{
    QStringList reports;
    int done = 0;
    for (const QString &field : firstFields)
        reports << rowReports(field, ++done, int(firstFields.size()));
    return reports;
}

}

void TestBatchCreate::run_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("styleType");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QStringList>("pictures"); // "file=content"
    QTest::addColumn<QString>("log");          // empty: no log file is left
    QTest::addColumn<QStringList>("existing"); // "file=content" or "folder/" already in the save folder

    const QString qrcustom = QStringLiteral("qrcustom");
    const QString tooLong(3000, QLatin1Char('x'));
    const QString longName(100, QChar(0x540D));

    const QStringList none;
    QTest::newRow("header only")
        << QByteArray("名称,内容\n") << qrcustom << endReports("成功：0 个") << none << "" << none;
    QTest::newRow("empty file") << QByteArray() << qrcustom << endReports("成功：0 个") << none << "" << none;
    QTest::newRow("unclosed quote")
        << QByteArray("\"a,b\nc,d\n") << qrcustom << QStringList{"warning|请选择正确csv文件"} << none << "" << none;
    QTest::newRow("two rows")
        << QByteArray("name,content\na,hello\nb,world\n") << qrcustom << rows({"a", "b"}) + endReports("成功：2 个")
        << QStringList{"a.png=hello", "b.png=world"} << "" << none;
    QTest::newRow("empty name takes the row index")
        << QByteArray("h,c\na,x\n,y\n") << qrcustom << rows({"a", ""}) + endReports("成功：2 个")
        << QStringList{"2.png=y", "a.png=x"} << "" << none;
    QTest::newRow("chinese name and content")
        << QStringLiteral("名称,内容\n中文名,中文内容\n").toUtf8() << qrcustom
        << rows({"中文名"}) + endReports("成功：1 个") << QStringList{"中文名.png=中文内容"} << "" << none;
    QTest::newRow("gb18030 file")
        << QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("名称,内容\n中文,内容一\n")) << qrcustom
        << rows({"中文"}) + endReports("成功：1 个") << QStringList{"中文.png=内容一"} << "" << none;
    QTest::newRow("content too long, extra fields logged")
        << ("h\na,one\nlong," + tooLong + ",extra\nc,two,ignored\n").toUtf8() << qrcustom
        << rows({"a", "long", "c"}) + endReports(errorSummary.arg(2).arg(1))
        << QStringList{"a.png=one", "c.png=two"} << "long," + tooLong + ",extra\n" << none;
    QTest::newRow("name too long for the file system")
        << ("h\n" + longName + ",x\nb,y\n").toUtf8() << qrcustom
        << rows({longName, "b"}) + endReports(errorSummary.arg(1).arg(1)) << QStringList{"b.png=y"}
        << longName + ",x\n" << none;
    QTest::newRow("picture that cannot be written")
        << QByteArray("h\nfolder,x\nb,y\n") << qrcustom
        << rows({"folder", "b"}) + endReports(errorSummary.arg(1).arg(1)) << QStringList{"b.png=y"} << "folder,x\n"
        << QStringList{"folder.png/"};
    QTest::newRow("missing or empty content fails")
        << QByteArray("h\na,\nb\nc,ok\nd,\0x\n", 17) << qrcustom
        << rows({"a", "b", "c", "d"}) + endReports(errorSummary.arg(1).arg(3)) << QStringList{"c.png=ok"}
        << QString::fromLatin1("a,\nb\nd,\0x\n", 10) << none;
    QTest::newRow("content cut at zero")
        << QByteArray("h\na,abc\0def\n", 12) << qrcustom << rows({"a"}) + endReports("成功：1 个")
        << QStringList{"a.png=abc"} << "" << none;
    QTest::newRow("blank lines skipped")
        << QByteArray("h\na,1\n\nb,2\n\n") << qrcustom << rows({"a", "b"}) + endReports("成功：2 个")
        << QStringList{"a.png=1", "b.png=2"} << "" << none;
    QTest::newRow("unsafe names")
        << QByteArray("h\n../up,x\na/b,x\na\\b,x\n.,x\n..,x\nok,x\n") << qrcustom
        << rows({"../up", "a/b", "a\\b", ".", "..", "ok"}) + endReports(errorSummary.arg(1).arg(5))
        << QStringList{"ok.png=x"} << "../up,x\na/b,x\na\\b,x\n.,x\n..,x\n" << none;
    QTest::newRow("same name twice keeps the first")
        << QByteArray("h\na,first\na,second\n4,third\n,fourth\n") << qrcustom
        << rows({"a", "a", "4", ""}) + endReports(errorSummary.arg(2).arg(2))
        << QStringList{"4.png=third", "a.png=first"} << "a,second\n,fourth\n" << none;
    QTest::newRow("a name whose first row failed is free")
        << ("h\na,\na," + tooLong + "\na,third\na,fourth\n").toUtf8() << qrcustom
        << rows({"a", "a", "a", "a"}) + endReports(errorSummary.arg(1).arg(3)) << QStringList{"a.png=third"}
        << "a,\na," + tooLong + "\na,fourth\n" << none;
    QTest::newRow("log quotes only where needed")
        << QStringLiteral("h\n\"a,b\",\n\"say \"\"hi\"\"\"\n\"x\ny\"\n名称,\nplain,\n").toUtf8() << qrcustom
        << rows({"a,b", "say \"hi\"", "x\ny", "名称", "plain"}) + endReports(errorSummary.arg(0).arg(5)) << none
        << QStringLiteral("\"a,b\",\n\"say \"\"hi\"\"\"\n\"x\ny\"\n名称,\nplain,\n") << none;
    QTest::newRow("unknown style type fails every row")
        << QByteArray("h\na,1\nb,2\n") << "plain" << rows({"a", "b"}) + endReports(errorSummary.arg(0).arg(2))
        << none << "a,1\nb,2\n" << none;
    QTest::newRow("empty style type is the styled code")
        << QByteArray("h\na,1\n") << "" << rows({"a"}) + endReports("成功：1 个") << QStringList{"a.png=1"} << ""
        << none;
    QTest::newRow("earlier log extended")
        << QByteArray("h\nnew,\n") << qrcustom << rows({"new"}) + endReports(errorSummary.arg(0).arg(1)) << none
        << "old,line\nnew,\n" << QStringList{"error_log.txt=old,line\n"};
    QTest::newRow("earlier log deleted by a clean run")
        << QByteArray("h\na,1\n") << qrcustom << rows({"a"}) + endReports("成功：1 个") << QStringList{"a.png=1"} << ""
        << QStringList{"error_log.txt=old\n"};
    QTest::newRow("earlier picture replaced")
        << QByteArray("h\na,new\n") << qrcustom << rows({"a"}) + endReports("成功：1 个") << QStringList{"a.png=new"}
        << "" << QStringList{"a.png=left by an earlier run"};
}

void TestBatchCreate::run()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, styleType);
    QFETCH(QStringList, reports);
    QFETCH(QStringList, pictures);
    QFETCH(QString, log);
    QFETCH(QStringList, existing);

    QTemporaryDir tmp;
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    const QString save = tmp.filePath(QStringLiteral("out/codes"));
    QVERIFY(writeFile(csvPath, csv));
    for (const QString &entry : existing) {
        const QString path = save + QLatin1Char('/') + entry.section(QLatin1Char('='), 0, 0);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(path.endsWith(QLatin1Char('/')) || writeFile(path, entry.section(QLatin1Char('='), 1).toUtf8()));
    }

    QCOMPARE(runGeneration(csvPath, save, styleType), reports);

    QStringList names;
    for (const QString &picture : pictures) {
        const QString name = picture.section(QLatin1Char('='), 0, 0);
        names << name;
        QCOMPARE(decodeQrCode(save + QLatin1Char('/') + name), picture.section(QLatin1Char('='), 1));
    }
    QCOMPARE(pictureNames(save), names);
    QVERIFY(pictureNames(tmp.path()).isEmpty());
    QVERIFY(pictureNames(tmp.filePath(QStringLiteral("out"))).isEmpty());
    const QString logPath = save + QStringLiteral("/error_log.txt");
    QCOMPARE(QFile::exists(logPath), !log.isEmpty());
    QCOMPARE(readFile(logPath), log.toUtf8());
}

void TestBatchCreate::linkOutOfTheFolderIsRefused()
{
    QTemporaryDir tmp;
    const QString save = tmp.filePath(QStringLiteral("save"));
    const QString outside = tmp.filePath(QStringLiteral("outside.png"));
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    QVERIFY(QDir().mkpath(save));
    QVERIFY(writeFile(outside, "not to be touched"));
    QVERIFY(QFile::link(outside, save + QStringLiteral("/out.png")));
    QVERIFY(QFile::link(tmp.filePath(QStringLiteral("nowhere/x.png")), save + QStringLiteral("/gone.png")));
    QVERIFY(writeFile(save + QStringLiteral("/old.png"), "old"));
    QVERIFY(QFile::link(save + QStringLiteral("/old.png"), save + QStringLiteral("/in.png")));
    QVERIFY(writeFile(csvPath, "h\nout,1\ngone,2\nin,3\n"));

    QCOMPARE(runGeneration(csvPath, save), rows({"out", "gone", "in"}) + endReports(errorSummary.arg(1).arg(2)));
    QCOMPARE(readFile(outside), QByteArray("not to be touched"));
    QVERIFY(!QDir(tmp.filePath(QStringLiteral("nowhere"))).exists());
    QCOMPARE(decodeQrCode(save + QStringLiteral("/in.png")), QStringLiteral("3"));
    QCOMPARE(readFile(save + QStringLiteral("/error_log.txt")), QByteArray("out,1\ngone,2\n"));
}

void TestBatchCreate::parallelRunKeepsRowOrder()
{
    QTemporaryDir tmp;
    QByteArray csv("name,content\n");
    QStringList expected;
    QByteArray log;
    QStringList names;
    const int total = 40;
    int failed = 0;
    for (int i = 1; i <= total; ++i) {
        const QByteArray name = "row" + QByteArray::number(i);
        // Every third row fails without being drawn, every seventh in the encoder.
        const QByteArray content = i % 3 == 0 ? QByteArray() : i % 7 == 0 ? QByteArray(3000, 'z') : "content " + name;
        csv += name + ',' + content + '\n';
        expected << rowReports(QString::fromLatin1(name), i, total);
        if (i % 3 == 0 || i % 7 == 0) {
            log += name + ',' + content + '\n';
            ++failed;
        } else {
            names << QString::fromLatin1(name + ".png");
        }
    }
    expected << endReports(errorSummary.arg(total - failed).arg(failed));
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    QVERIFY(writeFile(csvPath, csv));

    QCOMPARE(runGeneration(csvPath, tmp.path()), expected);
    QCOMPARE(readFile(tmp.filePath(QStringLiteral("error_log.txt"))), log);
    names.sort();
    QCOMPARE(pictureNames(tmp.path()), names);
    for (const QString &name : names)
        QCOMPARE(decodeQrCode(tmp.filePath(name)), QStringLiteral("content ") + name.chopped(4));
}

void TestBatchCreate::cacheFolderFailureIsANotice()
{
    QTemporaryDir tmp;
    const QString csvPath = tmp.filePath(QStringLiteral("data.csv"));
    const QString save = tmp.filePath(QStringLiteral("save"));
    const QString gone = tmp.filePath(QStringLiteral("gone"));
    QVERIFY(writeFile(csvPath, "h\na,1\n"));
    QVERIFY(QDir().mkpath(gone));
    const QString original = QDir::currentPath();
    QVERIFY(QDir::setCurrent(gone));
    QVERIFY(QDir(gone).removeRecursively());
    const QStringList reports = runGeneration(csvPath, save);
    QDir::setCurrent(original);

    QVERIFY(!reports.isEmpty());
    QVERIFY(reports.first().startsWith(QStringLiteral("notice|缓存目录创建失败，不能生成二维码，请手动创建：")));
    QCOMPARE(reports.mid(1), rows({"a"}) + endReports("成功：1 个"));
    QCOMPARE(decodeQrCode(save + QStringLiteral("/a.png")), QStringLiteral("1"));
}

int runBatchCreateTests(int argc, char **argv)
{
    TestBatchCreate tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_batch_create.moc"
