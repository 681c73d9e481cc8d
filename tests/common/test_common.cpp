#include "common/csv_field.h"
#include "common/elapsed_text.h"
#include "common/file_utils.h"
#include "common/text_codec.h"
#include "tests/support/test_support.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class TestUtils : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    // What each function returned, beside what it should have.
    void text_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const QString path = dir.filePath(QStringLiteral("t.qss"));
        QVERIFY(writeFile(path, QByteArray("a{b:c}\0rest", 11)));
        const QString chinese = QStringLiteral("名称,内容");
        const QByteArray utf16(reinterpret_cast<const char *>(chinese.utf16()), chinese.size() * 2);
        const auto digits = [](const QString &text) { return QString(isDigitString(text) ? "digits" : "other"); };
        QTest::newRow("suffix keeps case") << fileSuffix("photo.JPG") << "JPG";
        QTest::newRow("suffix after last dot") << fileSuffix("archive.tar.gz") << "gz";
        QTest::newRow("suffix without dot") << fileSuffix("README") << "README";
        QTest::newRow("suffix past folder dot") << fileSuffix("a.b/c") << "b/c";
        QTest::newRow("digits empty") << digits("") << "digits";
        QTest::newRow("digits leading zero") << digits("0123") << "digits";
        QTest::newRow("digits letter") << digits("12a") << "other";
        QTest::newRow("digits full-width") << digits(QStringLiteral("１２３")) << "other";
        QTest::newRow("digits to zero") << digits(QString::fromLatin1("12\0ab", 5)) << "digits";
        QTest::newRow("read to zero byte") << readTextFile(path) << "a{b:c}";
        QTest::newRow("read missing") << readTextFile(dir.filePath(QStringLiteral("missing"))) << "";
        QTest::newRow("utf-8") << decodeUnknownText(chinese.toUtf8()) << chinese;
        QTest::newRow("utf-8 bom") << decodeUnknownText("\xEF\xBB\xBF" + chinese.toUtf8()) << chinese;
        QTest::newRow("utf-16 bom") << decodeUnknownText("\xFF\xFE" + utf16) << chinese;
        QTest::newRow("gb18030") << decodeUnknownText(QTextCodec::codecForName("GB18030")->fromUnicode(chinese))
                                 << chinese;
        QTest::newRow("latin-1") << decodeUnknownText("caf\xE9\xFF") << QStringLiteral("caf\u00E9\u00FF");
        QTest::newRow("csv plain") << quoteCsvField("abc 12") << "abc 12";
        QTest::newRow("csv comma") << quoteCsvField("a,b") << "\"a,b\"";
        QTest::newRow("csv quote") << quoteCsvField("say \"hi\"") << "\"say \"\"hi\"\"\"";
        QTest::newRow("csv line feed") << quoteCsvField("a\nb") << "\"a\nb\"";
        QTest::newRow("csv carriage return") << quoteCsvField("a\rb") << "\"a\rb\"";
        QTest::newRow("csv joined") << joinCsvFields({"a,b", "", "c"}) << "\"a,b\",,c";
        QTest::newRow("seconds") << elapsedText(2500) << "用时：2.5 秒";
        QTest::newRow("milliseconds") << elapsedText(31) << "用时：0.031 秒";
        QTest::newRow("six digits") << elapsedText(1234567) << "用时：1234.57 秒";
    }

    void text()
    {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }

    void ensureDirCreatesOnlyWhenAsked()
    {
        const QString path = dir.filePath(QStringLiteral("a/b"));
        for (bool create : {false, true}) {
            QCOMPARE(ensureDir(path, create), create);
            QCOMPARE(QDir(path).exists(), create);
        }
    }

    void cacheDirPathReportsInsteadOfShowing()
    {
        const QString original = QDir::currentPath();
        QString message;
        QCOMPARE(cacheDirPath(&message), original);
        QVERIFY(message.isEmpty());
        // A working folder removed under the process.
        const QString gone = dir.filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone) && QDir::setCurrent(gone) && QDir(gone).removeRecursively());
        const QString path = cacheDirPath(&message);
        QDir::setCurrent(original);
        QCOMPARE(message, QStringLiteral("缓存目录创建失败，不能生成二维码，请手动创建：") + path);
    }
};

QTEST_GUILESS_MAIN(TestUtils)
#include "test_common.moc"
