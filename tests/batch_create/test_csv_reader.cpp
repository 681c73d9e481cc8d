#include "batch_create/csv_reader.h"
#include "tests/batch_create/test_helpers.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

Q_DECLARE_METATYPE(CsvTable)

class TestCsvReader : public QObject
{
    Q_OBJECT

private slots:
    void parseCsvText_data();
    void parseCsvText();
    void readCsvFile_data();
    void readCsvFile();
    void unreadableFileIsOneEmptyField();
};

void TestCsvReader::parseCsvText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<CsvTable>("table");
    const QString q = QStringLiteral("\"");
    QTest::newRow("empty") << "" << CsvTable{{""}};
    QTest::newRow("no final line break") << "a,b" << CsvTable{{"a", "b"}};
    QTest::newRow("crlf") << "a,b\r\nc,d\r\n" << CsvTable{{"a", "b"}, {"c", "d"}};
    QTest::newRow("lone cr kept") << "a\rb\n" << CsvTable{{"a\rb"}};
    QTest::newRow("blank last line") << "a,b\n\n" << CsvTable{{"a", "b"}, {""}};
    QTest::newRow("quoted comma") << q + "x,y" + q + ",z\n" << CsvTable{{"x,y", "z"}};
    QTest::newRow("doubled quotes") << q + "say " + q + q + "hi" + q + q + q + "\n" << CsvTable{{"say \"hi\""}};
    QTest::newRow("quoted line break") << q + "line1\nline2" + q + ",3\n" << CsvTable{{"line1\nline2", "3"}};
    QTest::newRow("quoted crlf") << q + "a\r\nb" + q + "\r\n" << CsvTable{{"a\nb"}};
    QTest::newRow("unclosed quote drops its row") << "a," + q + "b\nc,d" << CsvTable{};
    QTest::newRow("unclosed quote keeps earlier rows") << "h\na," + q + "b\n" << CsvTable{{"h"}};
    QTest::newRow("trailing comma") << "a,\n" << CsvTable{{"a", ""}};
    QTest::newRow("adjacent commas") << "a,,b\n" << CsvTable{{"a", "", "b"}};
    QTest::newRow("blanks kept") << " a , b\t\n" << CsvTable{{" a ", " b\t"}};
    QTest::newRow("quote mid field joins") << "ab" + q + "c,d" + q + "e\n" << CsvTable{{"abc,de"}};
    QTest::newRow("quote last in text") << q + "a" + q << CsvTable{{"a"}};
    QTest::newRow("rows of different length") << "a\nb,c,d\n" << CsvTable{{"a"}, {"b", "c", "d"}};
}

void TestCsvReader::parseCsvText()
{
    QFETCH(QString, text);
    QFETCH(CsvTable, table);
    QCOMPARE(::parseCsvText(text), table);
}

void TestCsvReader::readCsvFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("codecName");
    QTest::addColumn<CsvTable>("table");
    const QString name = QStringLiteral("名称");
    const QString content = QStringLiteral("内容，带逗号");
    const QString text = name + ",\"" + content + "\"\r\n";
    const CsvTable table{{name, content}};
    QTextCodec *gb18030 = QTextCodec::codecForName("GB18030");
    QTest::newRow("utf-8") << text.toUtf8() << "" << table;
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << "" << table;
    QTest::newRow("gb18030 without bom") << gb18030->fromUnicode(text) << "" << table;
    QTest::newRow("utf-16le with bom")
        << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2) << ""
        << table;
    QTest::newRow("named codec") << gb18030->fromUnicode(text) << "GB18030" << table;
    QTest::newRow("bom wins over named codec") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << "GB18030" << table;
    QTest::newRow("unknown codec name") << text.toUtf8() << "no-such-codec" << table;
    QTest::newRow("crlf inside quotes through a file") << QByteArray("\"a\r\nb\",c\r\n") << "" << CsvTable{{"a\nb", "c"}};
}

void TestCsvReader::readCsvFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, codecName);
    QFETCH(CsvTable, table);
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("data.csv"));
    QVERIFY(writeFile(path, bytes));
    QCOMPARE(::readCsvFile(path, codecName), table);
}

void TestCsvReader::unreadableFileIsOneEmptyField()
{
    QTemporaryDir tmp;
    QCOMPARE(::readCsvFile(tmp.filePath(QStringLiteral("missing.csv")), QString()), CsvTable{{""}});
    QCOMPARE(::readCsvFile(tmp.path(), QString()), CsvTable{{""}});
}

int runCsvReaderTests(int argc, char **argv)
{
    TestCsvReader tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_csv_reader.moc"
