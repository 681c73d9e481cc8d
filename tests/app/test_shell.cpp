#include "app/main_widget.h"
#include "app/middle_widget_left_list.h"
#include "app/middle_widget_right_stack.h"
#include "app/qt_translations.h"
#include "app/title_bar.h"
#include "batch_create/csv_create.h"
#include "batch_decode/jie_ma.h"
#include "render/qr_style_record.h"
#include "tests/support/test_support.h"

#include <QtTest>
#include <QtWidgets>

#include <unistd.h>

namespace {

// Moves the pointer and reports the move to the widget under (or grabbing) it, as the window system does.
void moveMouse(QWidget *target, const QPoint &global, Qt::MouseButtons buttons = Qt::NoButton)
{
    QCursor::setPos(global);
    QMouseEvent event(QEvent::MouseMove, target->mapFromGlobal(global), global, Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses the left button at a point of the window, moves the pointer by shift and releases it there,
// all reported to the widget under the press.
void drag(QWidget *window, const QPoint &press, const QPoint &shift)
{
    QWidget *target = window->childAt(press) ? window->childAt(press) : window;
    const QPoint global = window->mapToGlobal(press);
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(window, press));
    moveMouse(target, global + shift, Qt::LeftButton);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, target->mapFromGlobal(global + shift));
}

QPushButton *buttonWithText(QWidget *parent, const QString &text)
{
    for (QPushButton *button : parent->findChildren<QPushButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Drags one local file or folder onto the widget as a file manager does; true when it was taken.
bool dropPath(QWidget *target, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    return enter.isAccepted() && QApplication::sendEvent(target, &drop);
}

// The work page of the window, 0 generation or 1 decoding, made the current one.
QWidget *workPage(QWidget *window, int page)
{
    window->findChild<MiddleWidgetRightStack *>()->setCurrentIndex(page);
    return page ? static_cast<QWidget *>(window->findChild<JieMa *>()) : window->findChild<CsvCreate *>();
}

// Fills the page's fields with an input of the given number of items in the folder: CSV rows named
// by their number and holding "code <number>", or pictures of the code "code".
void fillForRun(QWidget *page, const QString &folder, int items, const QString &save)
{
    QByteArray csv("名称,内容\n");
    QrStyleRecord code;
    code.content = QStringLiteral("code");
    QVERIFY(QDir(folder).mkpath("in/sub") && code.render(folder + "/in/0.png"));
    // Pictures are hard links to the first: thousands cost no copying.
    for (int i = 0; i < items; ++i) {
        csv += QByteArray::number(i) + ",code " + QByteArray::number(i) + '\n';
        QVERIFY(i == 0 || ::link(QFile::encodeName(folder + "/in/0.png"), QFile::encodeName(folder + QStringLiteral("/in/%1.png").arg(i))) == 0);
    }
    QVERIFY(writeFile(folder + "/in/data.csv", csv));
    const QList<QLineEdit *> edits = page->findChildren<QLineEdit *>();
    edits.first()->setText(folder + (qobject_cast<JieMa *>(page) ? "/in" : "/in/data.csv"));
    edits.last()->setText(save);
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

    QTemporaryDir settingsDir;
    QList<QUrl> opened;

public slots:
    // Receives the addresses handed to the desktop instead of a browser.
    void openUrl(const QUrl &url) { opened << url; }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        // Qt's own texts are Chinese, like the window's.
        QVERIFY(loadQtTranslations(qApp));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
    }

    void init()
    {
        QSettings().clear();
        opened.clear();
    }

    void framelessZones_data()
    {
        // A 400 x 300 window at (100, 100): the pointer rests at hover, then presses and moves by (40, 30).
        QTest::addColumn<QPoint>("hover");
        QTest::addColumn<Qt::CursorShape>("cursor");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QRect>("geometry");
        const QPoint corner(383, 283);
        const QRect moved(140, 130, 400, 300);
        const QRect kept(100, 100, 400, 300);
        QTest::newRow("upper part drags") << QPoint(10, 10) << Qt::ArrowCursor << QPoint(10, 10) << moved;
        QTest::newRow("bottom strip drags") << QPoint(363, 290) << Qt::ArrowCursor << QPoint(363, 290) << moved;
        QTest::newRow("17 from the edges") << corner << Qt::SizeFDiagCursor << corner << QRect(100, 100, 423, 313);
        QTest::newRow("corner square") << corner << Qt::SizeFDiagCursor << QPoint(364, 264) << QRect(100, 100, 404, 294);
        QTest::newRow("18 from the right") << QPoint(382, 283) << Qt::ArrowCursor << QPoint(382, 283) << kept;
        QTest::newRow("18 from the bottom") << QPoint(383, 282) << Qt::ArrowCursor << QPoint(383, 282) << kept;
    }

    void framelessZones()
    {
        QFETCH(QPoint, hover);
        QFETCH(Qt::CursorShape, cursor);
        QFETCH(QPoint, press);
        QFETCH(QRect, geometry);
        FramelessWidget window;
        window.setGeometry(100, 100, 400, 300);
        window.show();
        moveMouse(&window, window.mapToGlobal(hover));
        QCOMPARE(window.cursor().shape(), cursor);
        drag(&window, press, QPoint(40, 30));
        QCOMPARE(window.geometry(), geometry);
        // The release ended the drag or resize.
        moveMouse(&window, QPoint(900, 900));
        QCOMPARE(window.geometry(), geometry);
    }

    void mainWindowPresses_data()
    {
        // The 1000 x 680 window takes presses only in its 50 high title bar and in the grip at its corner.
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("title text") << QPoint(20, 25) << QRect(250, 240, 1000, 680);
        QTest::newRow("page") << QPoint(600, 300) << QRect(200, 200, 1000, 680);
        QTest::newRow("bottom bar near the grip") << QPoint(985, 665) << QRect(200, 200, 1000, 680);
        QTest::newRow("grip") << QPoint(992, 672) << QRect(200, 200, 1042, 712);
    }

    void mainWindowPresses()
    {
        QFETCH(QPoint, press);
        QFETCH(QRect, geometry);
        MainWidget window;
        window.show();
        // The pointer on its way to the grip shows the diagonal cursor.
        moveMouse(&window, window.mapToGlobal(QPoint(995, 675)));
        drag(&window, press, QPoint(50, 40));
        QCOMPARE(window.geometry(), geometry);
        // A double-click toggles maximisation in the title bar only.
        QTest::mouseDClick(&window, Qt::LeftButton, Qt::NoModifier, press);
        QCOMPARE(window.isMaximized(), press.y() < 50);
    }

    void navigation()
    {
        MainWidget window;
        const QList<QPushButton *> buttons = window.findChild<MiddleWidgetLeftList *>()->buttonList;
        auto *stack = window.findChild<MiddleWidgetRightStack *>();
        QCOMPARE(buttons.size(), 2);
        // -1 is the site button, which opens the web site and leaves the page as it is.
        int page = 0;
        for (const int index : {-1, 1, 1, -1, 0}) {
            (index < 0 ? buttonWithText(&window, QStringLiteral("Glyphora")) : buttons.at(index))->click();
            page = index < 0 ? page : index;
            QCOMPARE(stack->currentIndex(), page);
            QCOMPARE(buttons.at(0)->isChecked(), page == 0);
            QCOMPARE(buttons.at(1)->isChecked(), page == 1);
        }
        QCOMPARE(opened.size(), 2);
    }

    void settings_data()
    {
        QTest::addColumn<QString>("close");
        QTest::newRow("system close") << "system";
        QTest::newRow("close button, size before the collapse") << "button";
        QTest::newRow("maximised stores nothing") << "maximised";
        QTest::newRow("maximised, dragged, restored in one click") << "restored";
    }

    void settings()
    {
        QFETCH(QString, close);
        const QRect firstStart(200, 200, 1000, 680);
        MainWidget window;
        window.show();
        QCOMPARE(window.geometry(), firstStart);
        window.setGeometry(300, 150, 1100, 760);
        QPushButton *maximise = window.findChild<TitleBar *>()->maximumButton();
        if (close == "maximised" || close == "restored")
            maximise->click();
        if (close == "restored") {
            const QRect maximised = window.geometry();
            drag(&window, QPoint(400, 20), QPoint(50, 40));
            QCOMPARE(window.geometry(), maximised);
            maximise->click();
            QCOMPARE(maximise->toolTip(), QStringLiteral("最大化"));
        }
        if (close == "button")
            window.findChild<TitleBar *>()->closeButton()->click();
        else
            window.close();
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(MainWidget().geometry(), close == "maximised" ? firstStart : QRect(300, 150, 1100, 760));
    }

    void drops_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("target"); // object name; empty for the page itself
        QTest::addColumn<bool>("folder");    // a folder is dropped, else a file
        QTest::addColumn<QString>("field");  // the field that takes the path; empty when refused
        QTest::newRow("file onto the CSV field") << 0 << "csvPathEdit" << false << "csvPathEdit";
        QTest::newRow("folder onto the CSV field") << 0 << "csvPathEdit" << true << "savePathEdit";
        QTest::newRow("file onto the generation page") << 0 << "" << false << "csvPathEdit";
        QTest::newRow("folder onto the save field") << 1 << "savePathEdit" << true << "savePathEdit";
        QTest::newRow("file onto a folder field") << 1 << "savePathEdit" << false << "";
        QTest::newRow("folder onto the decoding page") << 1 << "" << true << "jiemaPathEdit";
    }

    void drops()
    {
        QFETCH(int, page);
        QFETCH(QString, target);
        QFETCH(bool, folder);
        QFETCH(QString, field);
        QTemporaryDir tmp;
        const QString path = folder ? tmp.path() : tmp.filePath(QStringLiteral("a b.csv"));
        QVERIFY(writeFile(tmp.filePath(QStringLiteral("a b.csv")), "h\n"));
        MainWidget window;
        QWidget *form = workPage(&window, page);
        for (QLineEdit *edit : form->findChildren<QLineEdit *>())
            edit->setText(QStringLiteral("old"));
        QCOMPARE(dropPath(target.isEmpty() ? form : form->findChild<QWidget *>(target), path), !field.isEmpty());
        for (QLineEdit *edit : form->findChildren<QLineEdit *>())
            QCOMPARE(edit->text(), edit->objectName() == field ? path : QStringLiteral("old"));
    }

    void runControls_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("action"); // "stop", "close" confirmed, or "keep": close cancelled, then stop
        for (const char *action : {"stop", "close", "keep"}) {
            QTest::addRow("generation, %s", action) << 0 << action;
            QTest::addRow("decoding, %s", action) << 1 << action;
        }
    }

    void runControls()
    {
        QFETCH(int, page);
        QFETCH(QString, action);
        QTemporaryDir tmp;
        const QString save = tmp.filePath(QStringLiteral("out"));
        MainWidget window;
        window.show();
        QWidget *form = workPage(&window, page);
        // Enough items that a run at a thousand a second is still going when stopped.
        fillForRun(form, tmp.path(), 3000, save);
        auto *start = form->findChild<QPushButton *>(page ? "jieMaBtn" : "csvCreateBtn");
        auto *stop = form->findChild<QPushButton *>("stopBtn");
        start->click();
        QVERIFY(stop->isVisibleTo(form) && !start->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QProgressBar *>("progressBar")->value() > 0, 20000);
        QStringList questions; // a box narrower than 300 pixels is marked
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                questions << box->text() + (box->width() < 300 ? " (narrow)" : "");
                box->button(action == "close" ? QMessageBox::Ok : QMessageBox::Cancel)->click();
            }
        });
        answerer.start(10);
        (action == "stop" ? stop->click() : void(window.close()));
        // Stopping does not wait for the run: the page and the window wait for its report.
        QVERIFY(stop->isEnabled() == (action == "keep") && window.isVisible());
        if (action == "keep")
            stop->click();
        auto *result = form->findChild<QLabel *>("resultLabel");
        QTRY_VERIFY_WITH_TIMEOUT(result->text().startsWith(QStringLiteral("已停止")), 20000);
        QTRY_COMPARE(window.isVisible(), action != "close");
        QCOMPARE(questions, action == "stop" ? QStringList() : QStringList{QStringLiteral("任务正在进行，确定停止并退出吗？")});
        QVERIFY(start->isEnabled() && !stop->isVisibleTo(form) && form->findChild<QWidget *>("openFolderBtn")->isVisibleTo(form));
        // What the report counts is on disk, complete, and nothing is written after it.
        const int done = QRegularExpression(QStringLiteral("^已停止：完成 (\\d+) / 共 3000$")).match(result->text()).captured(1).toInt();
        QVERIFY2(done > 0 && done < 3000, qPrintable(result->text()));
        const QStringList written = QDir(save).entryList({page ? "*.csv" : "*.png"});
        QCOMPARE(written.size(), page ? 1 : done);
        QCOMPARE(page ? readFile(save + '/' + written.first()).count("code\n") : done, done);
        for (const QString &picture : page ? QStringList() : written)
            QCOMPARE(QImage(save + '/' + picture).size(), QSize(500, 560));
        QTest::qWait(300);
        QCOMPARE(QDir(save).entryList({page ? "*.csv" : "*.png"}), written);
    }

    void finishedRun_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("links"); // CSV files named in the report, each opened by its link
        QTest::newRow("generation") << 0 << "成功：2 个， 错误：1 个，请在保存路径查看错误日志" << 0;
        QTest::newRow("decoding") << 1 << "成功：3 个， 错误：1 个，请在保存路径查看错误日志" << 2;
    }

    // Started with Enter from fields holding pasted paths, the run leads to its results, and the
    // paths come back after a restart.
    void finishedRun()
    {
        QFETCH(int, page);
        QFETCH(QString, result);
        QFETCH(int, links);
        QTemporaryDir tmp;
        const QString save = tmp.filePath(QStringLiteral("out"));
        QStringList paths;
        {
            MainWidget window;
            QWidget *form = workPage(&window, page);
            fillForRun(form, tmp.path(), 3, save);
            // One failing item; a sub-folder for a second CSV file.
            QVERIFY(writeFile(tmp.filePath("in/data.csv"), "h\na,1\nb,\nc,3\n") && writeFile(tmp.filePath("in/broken.png"), "x")
                    && QFile::rename(tmp.filePath("in/2.png"), tmp.filePath("in/sub/2.png")));
            const QList<QLineEdit *> edits = form->findChildren<QLineEdit *>();
            for (QLineEdit *edit : edits) {
                paths << edit->text();
                edit->setText(QStringLiteral(" \t") + edit->text() + QLatin1Char(' '));
            }
            QTest::keyClick(edits.last(), Qt::Key_Return);
            QTRY_COMPARE_WITH_TIMEOUT(form->findChild<QLabel *>("resultLabel")->text(), result, 20000);
            QCOMPARE(QStringList({edits.first()->text(), edits.last()->text()}), paths);
            // The log button shows only when the run left a log in the save folder.
            QVERIFY(form->findChild<QWidget *>("openLogBtn")->isVisibleTo(form));
            for (const char *button : {"openFolderBtn", "openLogBtn"})
                form->findChild<QPushButton *>(button)->click();
            QCOMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(save), QUrl::fromLocalFile(save + "/error_log.txt")}));
            auto *progress = form->findChild<QLabel *>("progressLabel");
            QTRY_VERIFY(progress->text().contains(QStringLiteral("操作完成")));
            auto names = QRegularExpression(QStringLiteral("<a href=\"([^\"]+)\"")).globalMatch(progress->text());
            for (opened.clear(); names.hasNext();)
                emit progress->linkActivated(names.next().captured(1));
            QCOMPARE(opened.size(), links);
            for (const QUrl &csv : opened)
                QVERIFY2(QFileInfo(csv.toLocalFile()).isFile(), qPrintable(csv.toString()));
        }
        MainWidget restarted;
        const QList<QLineEdit *> edits = workPage(&restarted, page)->findChildren<QLineEdit *>();
        QCOMPARE(QStringList({edits.first()->text(), edits.last()->text()}), paths);
    }

    void largeFont()
    {
        // At 150 % of a usual 10-point desktop font no text placed by a layout is cut off.
        const QFont normal = QApplication::font();
        QApplication::setFont(QFont(normal.family(), 15));
        MainWidget window;
        window.show();
        for (int page : {0, 1}) {
            workPage(&window, page);
            for (QLabel *label : window.findChildren<QLabel *>()) {
                const QLayout *layout = label->parentWidget()->layout();
                if (label->isVisible() && layout && layout->indexOf(label) >= 0)
                    QVERIFY2(label->height() >= label->sizeHint().height(), qPrintable(label->text()));
            }
        }
        QApplication::setFont(normal);
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
