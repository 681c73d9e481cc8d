#include "app/csv_field.h"
#include "app/elapsed_text.h"
#include "app/file_utils.h"
#include "app/text_codec.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class TestUtils : public QObject
{
    Q_OBJECT

private slots:
    void fileSuffix_data();
    void fileSuffix();
    void isDigitString_data();
    void isDigitString();
    void ensureDirCreatesOnlyWhenAsked();
    void cacheDirPathReportsInsteadOfShowing();
    void readTextFileStopsAtZeroByte();
    void decodeUnknownText_data();
    void decodeUnknownText();
    void quoteCsvField_data();
    void quoteCsvField();
    void elapsedText();
};

void TestUtils::fileSuffix_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("upper case kept") << "photo.JPG" << "JPG";
    QTest::newRow("last dot") << "archive.tar.gz" << "gz";
    QTest::newRow("no dot") << "README" << "README";
    QTest::newRow("trailing dot") << "name." << "";
    QTest::newRow("dot in folder") << "a.b/c" << "b/c";
}

void TestUtils::fileSuffix()
{
    QFETCH(QString, name);
    QFETCH(QString, suffix);
    QCOMPARE(::fileSuffix(name), suffix);
}

void TestUtils::isDigitString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("digits");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("leading zero") << "0123" << true;
    QTest::newRow("letter") << "12a" << false;
    QTest::newRow("full-width") << QStringLiteral("１２３") << false;
    QTest::newRow("stops at zero") << QString::fromLatin1("12\0ab", 5) << true;
}

void TestUtils::isDigitString()
{
    QFETCH(QString, text);
    QFETCH(bool, digits);
    QCOMPARE(::isDigitString(text), digits);
}

void TestUtils::ensureDirCreatesOnlyWhenAsked()
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("a/b"));
    bool create = false;
    QVERIFY(!ensureDir(path, create));
    QVERIFY(!QDir(path).exists());
    create = true;
    QVERIFY(ensureDir(path, create));
    QVERIFY(QDir(path).exists());
    QVERIFY(ensureDir(path, create));
}

void TestUtils::cacheDirPathReportsInsteadOfShowing()
{
    const QString original = QDir::currentPath();
    QString message;
    QCOMPARE(cacheDirPath(&message), original);
    QVERIFY(message.isEmpty());

    // A working folder removed under the process.
    QTemporaryDir tmp;
    const QString gone = tmp.filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(gone));
    QVERIFY(QDir::setCurrent(gone));
    QVERIFY(QDir(gone).removeRecursively());
    const QString path = cacheDirPath(&message);
    QDir::setCurrent(original);
    QVERIFY(!path.endsWith(QLatin1Char('/')));
    QCOMPARE(message, QStringLiteral("缓存目录创建失败，不能生成二维码，请手动创建：") + path);
}

void TestUtils::readTextFileStopsAtZeroByte()
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("t.qss"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("a{b:c}\0rest", 11));
    file.close();
    QCOMPARE(readTextFile(path), QStringLiteral("a{b:c}"));
    QCOMPARE(readTextFile(tmp.filePath(QStringLiteral("missing"))), QString());
    QCOMPARE(readTextFile(QString()), QString());
}

void TestUtils::decodeUnknownText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString chinese = QStringLiteral("名称,内容");
    QTest::newRow("utf-8") << chinese.toUtf8() << chinese;
    QTest::newRow("utf-8 bom") << (QByteArray("\xEF\xBB\xBF") + chinese.toUtf8()) << chinese;
    QTest::newRow("gb18030") << QTextCodec::codecForName("GB18030")->fromUnicode(chinese) << chinese;
    QTest::newRow("utf-16le bom") << (QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(chinese.utf16()), chinese.size() * 2)) << chinese;
    QTest::newRow("latin-1") << QByteArray("caf\xE9\xFF") << QStringLiteral("caf\u00E9\u00FF");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestUtils::decodeUnknownText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(::decodeUnknownText(bytes), text);
}

void TestUtils::quoteCsvField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain") << "abc 12" << "abc 12";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("comma") << "a,b" << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
    QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
}

void TestUtils::quoteCsvField()
{
    QFETCH(QString, field);
    QFETCH(QString, quoted);
    QCOMPARE(::quoteCsvField(field), quoted);
    QCOMPARE(joinCsvFields({field, field}), quoted + QLatin1Char(',') + quoted);
}

void TestUtils::elapsedText()
{
    QCOMPARE(::elapsedText(2500), QStringLiteral("用时：2.5 秒"));
    QCOMPARE(::elapsedText(31), QStringLiteral("用时：0.031 秒"));
    QCOMPARE(::elapsedText(1234567), QStringLiteral("用时：1234.57 秒"));
}

QTEST_GUILESS_MAIN(TestUtils)
#include "test_utils.moc"
