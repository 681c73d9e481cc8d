#include "batch_create/csv_create.h"
#include "tests/batch_create/test_helpers.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// The form's widgets, found by their cells.
struct Form
{
    explicit Form(CsvCreate *page)
    {
        auto *grid = qobject_cast<QGridLayout *>(page->findChild<QFrame *>(QStringLiteral("CsvCreateFrame"))->layout());
        const auto at = [grid](int row, int column) { return grid->itemAtPosition(row, column)->widget(); };
        csvPath = qobject_cast<QLineEdit *>(at(0, 1));
        savePath = qobject_cast<QLineEdit *>(at(1, 1));
        start = qobject_cast<QPushButton *>(at(2, 0));
        result = qobject_cast<QLabel *>(at(3, 0));
        runtime = qobject_cast<QLabel *>(at(4, 0));
        progress = qobject_cast<QLabel *>(at(5, 0));
        bar = qobject_cast<QProgressBar *>(at(6, 0));
    }

    QLineEdit *csvPath;
    QLineEdit *savePath;
    QPushButton *start;
    QLabel *result;
    QLabel *runtime;
    QLabel *progress;
    QProgressBar *bar;
};

// Closes every message box as soon as it shows, keeping its text.
class BoxCloser : public QObject
{
public:
    BoxCloser()
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        timer.start(10);
    }

    QStringList texts;

private:
    QTimer timer;
};

}

class TestCsvCreate : public QObject
{
    Q_OBJECT

private slots:
    void checks_data();
    void checks();
    void runShowsItsReports();
    void warningEnablesTheButtonAgain();
    void closingDuringARunStopsIt();
};

void TestCsvCreate::checks_data()
{
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("message");
    QTest::newRow("both empty") << "" << "" << "请选择csv文件";
    QTest::newRow("save empty") << "data.csv" << "" << "请选择二维码保存位置";
    QTest::newRow("save under a file") << "data.csv" << "file/save" << "保存文件夹不存在并且创建失败";
}

void TestCsvCreate::checks()
{
    QFETCH(QString, csv);
    QFETCH(QString, save);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("file")), "x"));
    CsvCreate page;
    Form form(&page);
    form.csvPath->setText(csv.isEmpty() ? csv : tmp.filePath(csv));
    form.savePath->setText(save.isEmpty() ? save : tmp.filePath(save));
    form.result->setText(QStringLiteral("earlier"));

    BoxCloser closer;
    form.start->click();
    QCOMPARE(closer.texts, QStringList{message});
    QVERIFY(form.start->isEnabled());
    QCOMPARE(form.result->text(), QStringLiteral("earlier"));
}

void TestCsvCreate::runShowsItsReports()
{
    QTemporaryDir tmp;
    const QString save = tmp.filePath(QStringLiteral("new/codes"));
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("data.csv")), "name,content\na,hello\nb,world\n"));
    CsvCreate page;
    Form form(&page);
    form.csvPath->setText(tmp.filePath(QStringLiteral("data.csv")));
    form.savePath->setText(save);

    for (int run = 0; run < 2; ++run) {
        form.start->click();
        QVERIFY(QDir(save).exists());
        QVERIFY(!form.start->isEnabled());
        QVERIFY(form.result->text().isEmpty());
        QVERIFY(form.runtime->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(form.progress->text().contains(QStringLiteral("操作完成")), 30000);
        QVERIFY(form.start->isEnabled());
        QCOMPARE(form.result->text(), QStringLiteral("成功：2 个"));
        QVERIFY(form.runtime->text().startsWith(QStringLiteral("用时：")));
        QCOMPARE(form.progress->text(), QStringLiteral("<div style='color:green'>操作完成</div>"));
        QCOMPARE(form.bar->maximum(), 2);
        QCOMPARE(form.bar->value(), 2);
    }
    QCOMPARE(decodeQrCode(save + QStringLiteral("/b.png")), QStringLiteral("world"));
}

void TestCsvCreate::warningEnablesTheButtonAgain()
{
    QTemporaryDir tmp;
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("data.csv")), "\"never closed\n"));
    CsvCreate page;
    Form form(&page);
    form.csvPath->setText(tmp.filePath(QStringLiteral("data.csv")));
    form.savePath->setText(tmp.path());

    BoxCloser closer;
    form.start->click();
    QTRY_COMPARE_WITH_TIMEOUT(closer.texts, QStringList{QStringLiteral("请选择正确csv文件")}, 30000);
    QVERIFY(form.start->isEnabled());
}

void TestCsvCreate::closingDuringARunStopsIt()
{
    QTemporaryDir tmp;
    const QString save = tmp.filePath(QStringLiteral("save"));
    QByteArray csv("h\n");
    const int total = 200;
    for (int i = 1; i <= total; ++i)
        csv += "row" + QByteArray::number(i) + ",content\n";
    QVERIFY(writeFile(tmp.filePath(QStringLiteral("data.csv")), csv));
    QPointer<CsvCreate> page = new CsvCreate;
    Form form(page);
    form.csvPath->setText(tmp.filePath(QStringLiteral("data.csv")));
    form.savePath->setText(save);

    form.start->click();
    QTRY_VERIFY_WITH_TIMEOUT(form.bar->value() > 0, 30000);
    delete page;
    const int written = pictureNames(save).size();
    QVERIFY2(written < total, qPrintable(QString::number(written)));
    // Nothing is drawn once the page has gone.
    QTest::qWait(200);
    QCOMPARE(pictureNames(save).size(), written);
}

int runCsvCreateTests(int argc, char **argv)
{
    TestCsvCreate tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_csv_create.moc"
