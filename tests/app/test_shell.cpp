#include "app/failure_table.h"
#include "app/main_widget.h"
#include "app/middle_widget_left_list.h"
#include "app/middle_widget_right_stack.h"
#include "app/qt_translations.h"
#include "app/report_view.h"
#include "app/screen_fit.h"
#include "app/title_bar.h"
#include "batch_create/csv_create.h"
#include "batch_create/sheet_layout.h"
#include "batch_create/style_chooser.h"
#include "batch_decode/jie_ma.h"
#include "render/qr_style_record.h"
#include "tests/support/test_support.h"

#include <QCheckBox>
#include <QComboBox>
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

// The workbooks committed for the tests, by file name.
QString workbook(const QString &name)
{
    return QStringLiteral(GLYPHORA_TEST_DATA "/workbooks/") + name;
}

// Lets every answer being read off the window's thread arrive, the stale ones too.
void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The contents of the labels on the first page of a label sheet, cell by cell, read
// by zbar from the page as pdftoppm draws it; cells without a code are left out.
QStringList sheetLabels(const QString &pdf, const SheetLayout &layout, const QString &folder)
{
    constexpr int dpi = 300;
    const double pixel = 25.4 / dpi;
    const QString stem = folder + QStringLiteral("/page");
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), QStringLiteral("-l"),
                                                   QStringLiteral("1"), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    const QImage page(stem + QStringLiteral(".png"));
    QStringList labels;
    for (int place = 0; !page.isNull() && place < layout.labelsPerPage(); ++place) {
        const QRectF cell = layout.cell(place);
        const QRect area(qRound(cell.left() / pixel), qRound(cell.top() / pixel), qRound(cell.width() / pixel), qRound(cell.height() / pixel));
        const QString labelPath = folder + QStringLiteral("/label.png");
        if (!page.copy(area.intersected(page.rect())).save(labelPath))
            return {QStringLiteral("unsaved")};
        const QString content = decodeQrCode(labelPath);
        if (!content.isEmpty())
            labels << content;
    }
    return labels;
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
        // A 400 x 300 window at (100, 100): the pointer rests at the point, then presses and moves by (40, 30).
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<Qt::CursorShape>("cursor");
        QTest::addColumn<QRect>("geometry");
        const QRect moved(140, 130, 400, 300);
        QTest::newRow("inside drags") << QPoint(200, 150) << Qt::ArrowCursor << moved;
        QTest::newRow("7 from the right drags") << QPoint(393, 150) << Qt::ArrowCursor << moved;
        QTest::newRow("left edge") << QPoint(2, 150) << Qt::SizeHorCursor << QRect(140, 100, 360, 300);
        QTest::newRow("right edge") << QPoint(397, 150) << Qt::SizeHorCursor << QRect(100, 100, 440, 300);
        QTest::newRow("top edge") << QPoint(200, 0) << Qt::SizeVerCursor << QRect(100, 130, 400, 270);
        QTest::newRow("bottom edge") << QPoint(200, 295) << Qt::SizeVerCursor << QRect(100, 100, 400, 330);
        QTest::newRow("top left") << QPoint(10, 10) << Qt::SizeFDiagCursor << QRect(140, 130, 360, 270);
        QTest::newRow("top right") << QPoint(390, 3) << Qt::SizeBDiagCursor << QRect(100, 130, 440, 270);
        QTest::newRow("bottom left") << QPoint(17, 290) << Qt::SizeBDiagCursor << QRect(140, 100, 360, 330);
        QTest::newRow("bottom right") << QPoint(383, 283) << Qt::SizeFDiagCursor << QRect(100, 100, 440, 330);
    }

    void framelessZones()
    {
        QFETCH(QPoint, press);
        QFETCH(Qt::CursorShape, cursor);
        QFETCH(QRect, geometry);
        FramelessWidget window;
        window.setGeometry(100, 100, 400, 300);
        window.show();
        moveMouse(&window, window.mapToGlobal(press));
        QCOMPARE(window.cursor().shape(), cursor);
        drag(&window, press, QPoint(40, 30));
        QCOMPARE(window.geometry(), geometry);
        // The release ended the drag or resize.
        moveMouse(&window, QPoint(900, 900));
        QCOMPARE(window.geometry(), geometry);
    }

    void mainWindowPresses_data()
    {
        // The 1000 x 680 window at (0, 0) of the 800 x 600 test screen is dragged by its 50 high title bar
        // and resized from its edges, also where the pages and bars cover them; a press moves by (50, 40).
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QRect>("geometry");
        const QRect kept(0, 0, 1000, 680);
        QTest::newRow("title text") << QPoint(20, 25) << QRect(50, 40, 1000, 680);
        QTest::newRow("page") << QPoint(600, 300) << kept;
        QTest::newRow("bottom bar") << QPoint(960, 665) << kept;
        QTest::newRow("grip") << QPoint(992, 672) << QRect(0, 0, 1050, 720);
        QTest::newRow("right edge of the page") << QPoint(997, 300) << QRect(0, 0, 1050, 680);
        QTest::newRow("bottom edge of the bar") << QPoint(500, 677) << QRect(0, 0, 1000, 720);
        QTest::newRow("left edge, at the minimum width") << QPoint(1, 300) << kept;
    }

    void mainWindowPresses()
    {
        QFETCH(QPoint, press);
        QFETCH(QRect, geometry);
        MainWidget window;
        window.show();
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
        // Centred on the 800 x 600 test screen, the window's top-left part is shown.
        const QRect firstStart(0, 0, 1000, 680);
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
        // The keys keep the place as it was; a restart fits it into the screen.
        const QSettings settings;
        QCOMPARE(settings.value("pos").toPoint(), close == "maximised" ? QPoint() : QPoint(300, 150));
        QCOMPARE(settings.value("size").toSize(), close == "maximised" ? QSize() : QSize(1100, 760));
        QCOMPARE(MainWidget().geometry(), firstStart);
    }

    void restoredGeometry_data()
    {
        // The remembered place, the available areas of the screens (the first the main one), and the result.
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("fitted");
        const QList<QRect> small{QRect(0, 0, 1280, 720)};
        const QList<QRect> two{QRect(0, 0, 1280, 720), QRect(1280, 0, 1920, 1080)};
        QTest::newRow("old default on 1280x720") << QRect(200, 200, 1000, 680) << small << QRect(200, 40, 1000, 680);
        QTest::newRow("from a larger monitor") << QRect(2000, 1200, 1600, 1000) << QList<QRect>{QRect(0, 0, 1280, 690)}
                                               << QRect(0, 0, 1280, 690);
        QTest::newRow("on the second monitor") << QRect(1500, 100, 1200, 800) << two << QRect(1500, 100, 1200, 800);
        QTest::newRow("hanging off the second") << QRect(2900, 900, 1000, 680) << two << QRect(2200, 400, 1000, 680);
        QTest::newRow("second monitor gone") << QRect(1500, 100, 1200, 800) << small << QRect(80, 0, 1200, 720);
        QTest::newRow("under a top panel") << QRect(100, 0, 1000, 680) << QList<QRect>{QRect(0, 30, 1280, 690)}
                                           << QRect(100, 30, 1000, 680);
        QTest::newRow("screen below the minimum") << QRect(50, 50, 1000, 680) << QList<QRect>{QRect(0, 0, 800, 600)}
                                                  << QRect(0, 0, 1000, 680);
    }

    void restoredGeometry()
    {
        QFETCH(QRect, wanted);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, fitted);
        QCOMPARE(fitIntoScreens(wanted, screens, QSize(1000, 680)), fitted);
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
        // While it runs, the inputs stay as they are and the navigation names the page running.
        auto *navigation = window.findChild<MiddleWidgetLeftList *>()->buttonList.at(page);
        const auto inputsLocked = [form] {
            for (QLineEdit *edit : form->findChildren<QLineEdit *>())
                if (!edit->isReadOnly())
                    return false;
            for (QToolButton *chooser : form->findChildren<QToolButton *>())
                if (chooser->isEnabled())
                    return false;
            for (QCheckBox *check : form->findChildren<QCheckBox *>())
                if (check->isEnabled())
                    return false;
            return true;
        };
        QVERIFY(inputsLocked());
        QCOMPARE(navigation->text(), QString((page ? "批量解码" : "批量生成") + QStringLiteral(" · 运行中")));
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
        // A stopped run shows no file in hand and its time, as a finished one does.
        QVERIFY(form->findChild<QLabel *>("progressLabel")->text().isEmpty());
        QVERIFY(form->findChild<QLabel *>("runtimeLabel")->text().startsWith(QStringLiteral("用时：")));
        QVERIFY(!form->findChildren<QLineEdit *>().first()->isReadOnly() && form->findChildren<QToolButton *>().first()->isEnabled());
        QCOMPARE(navigation->text(), QString(page ? "批量解码" : "批量生成"));
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
        QTest::addColumn<QString>("format"); // "sheet" for a label sheet
        QTest::addColumn<QStringList>("written");
        QTest::newRow("generation") << 0 << "成功：2 个， 错误：1 个，请在保存路径查看错误日志" << 0 << "png" << QStringList{"a.png", "c.png", "error_log.txt"};
        QTest::newRow("generation as SVG") << 0 << "成功：2 个， 错误：1 个，请在保存路径查看错误日志" << 0 << "svg" << QStringList{"a.svg", "c.svg", "error_log.txt"};
        QTest::newRow("label sheet") << 0 << "成功：2 个标签，1 页， 错误：1 个，请在保存路径查看错误日志" << 0 << "sheet" << QStringList{"data.pdf", "error_log.txt"};
        QTest::newRow("decoding") << 1 << "成功：3 个， 错误：1 个，请在保存路径查看错误日志" << 2 << "" << QStringList();
    }

    // Started with Enter from fields holding pasted paths, the run leads to its results, and the
    // paths come back after a restart.
    void finishedRun()
    {
        QFETCH(int, page);
        QFETCH(QString, result);
        QFETCH(int, links);
        QFETCH(QString, format);
        QFETCH(QStringList, written);
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
            if (page == 0) {
                auto *choice = form->findChild<QComboBox *>("formatChoice");
                choice->setCurrentIndex(choice->findData(format == "sheet" ? "png" : format));
                form->findChild<QCheckBox *>("sheetCheck")->setChecked(format == "sheet");
            }
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
            if (page == 0)
                QCOMPARE(QDir(save).entryList(QDir::Files), written);
        }
        MainWidget restarted;
        QWidget *form = workPage(&restarted, page);
        const QList<QLineEdit *> edits = form->findChildren<QLineEdit *>();
        QCOMPARE(QStringList({edits.first()->text(), edits.last()->text()}), paths);
        if (page == 0) {
            QCOMPARE(form->findChild<QComboBox *>("formatChoice")->currentData().toString(), format == "sheet" ? "png" : format);
            QCOMPARE(form->findChild<QCheckBox *>("sheetCheck")->isChecked(), format == "sheet");
            // The preview of the first page comes without holding up the window.
            if (format == "sheet") {
                auto *preview = form->findChild<QLabel *>("sheetPreview");
                QTRY_VERIFY(!preview->pixmap(Qt::ReturnByValue).isNull());
                // A style chosen afterwards is drawn in the preview too.
                auto *chooser = form->findChild<StyleChooser *>();
                BatchStyle red = chooser->style();
                red.record.darkModuleColor = red.record.eyeOuterColor = red.record.eyeInnerColor = Qt::red;
                chooser->choose(red, QStringLiteral("自定义"));
                const auto hasRed = [preview] {
                    const QImage shown = preview->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_RGB32);
                    for (int y = 0; y < shown.height(); ++y)
                        for (int x = 0; x < shown.width(); ++x)
                            if (qRed(shown.pixel(x, y)) > 200 && qGreen(shown.pixel(x, y)) < 80)
                                return true;
                    return false;
                };
                QTRY_VERIFY(hasRed());
            }
        }
    }

    void longFileList()
    {
        // Twelve CSV links in a 680 high window: the list scrolls instead of running over the bar.
        QTemporaryDir tmp;
        MainWidget window;
        window.resize(1000, 680);
        window.show();
        QWidget *form = workPage(&window, 1);
        auto *view = form->findChild<ReportView *>();
        view->startRun(tmp.path());
        QStringList links;
        for (int i = 1; i <= 12; ++i)
            links << QStringLiteral("<a href=\"门店%1.csv\">门店%1.csv</a>").arg(i);
        QMetaObject::invokeMethod(form, "slot_jiema_thread_viewer", Q_ARG(QString, "count"), Q_ARG(QString, "12/12"));
        QMetaObject::invokeMethod(form, "slot_jiema_thread_viewer", Q_ARG(QString, "progress"), Q_ARG(QString, links.join("<br>")));
        QMetaObject::invokeMethod(form, "slot_jiema_thread_viewer", Q_ARG(QString, "success"), Q_ARG(QString, "操作完成"));
        QTest::qWait(50);
        const auto placed = [form](QWidget *widget) { return QRect(widget->mapTo(form, QPoint()), widget->size()); };
        QWidget *area = view->progressLabel->parentWidget()->parentWidget();
        QVERIFY(area->isVisible() && area->height() > 0);
        QVERIFY2(!placed(area).intersects(placed(view->progressBar)), qPrintable(QStringLiteral("%1 %2").arg(area->height()).arg(form->height())));
    }

    void failureTable_data()
    {
        // "failed" reports fed to the page, then its final report; the table's lines as copied.
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QString>("copied"); // empty: no table is shown
        QTest::newRow("generation") << 0
                                    << QStringList{QStringLiteral("名称含有不能用于文件名的字符\na/b"),
                                                   QStringLiteral("内容为空\n<b>x</b>\ty")}
                                    << QStringLiteral("a/b\t名称含有不能用于文件名的字符\n<b>x</b>\ty\t内容为空\n");
        QTest::newRow("decoding") << 1 << QStringList{QStringLiteral("未识别到二维码\n/p/一 二.png")}
                                  << QStringLiteral("/p/一 二.png\t未识别到二维码\n");
        QTest::newRow("no failure") << 0 << QStringList() << QString();
    }

    void failureTable()
    {
        QFETCH(int, page);
        QFETCH(QStringList, failures);
        QFETCH(QString, copied);
        QTemporaryDir tmp;
        MainWidget window;
        window.show();
        QWidget *form = workPage(&window, page);
        auto *view = form->findChild<ReportView *>();
        auto *table = form->findChild<FailureTable *>("failureTable");
        QCOMPARE(table->horizontalHeaderItem(0)->text(), QString(page ? "图片" : "名称"));
        for (int run = 0; run < 2; ++run) {
            // A second run starts with an empty table.
            view->startRun(tmp.path());
            QVERIFY(!table->isVisibleTo(form));
            for (const QString &failure : failures)
                QMetaObject::invokeMethod(form, page ? "slot_jiema_thread_viewer" : "slot_create_thread_viewer",
                                          Q_ARG(QString, "failed"), Q_ARG(QString, failure));
            QVERIFY(!table->isVisibleTo(form));
            QMetaObject::invokeMethod(form, page ? "slot_jiema_thread_viewer" : "slot_create_thread_viewer",
                                      Q_ARG(QString, "success"), Q_ARG(QString, "done"));
            QCOMPARE(table->isVisibleTo(form), !copied.isEmpty());
            QCOMPARE(table->copiedText(), copied);
        }
        if (copied.isEmpty())
            return;
        // Ctrl+C copies the selected rows only.
        table->setFocus();
        table->selectRow(failures.size() - 1);
        QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), copied.section('\n', failures.size() - 1, failures.size() - 1) + '\n');
    }

    void replaceQuestion_data()
    {
        // The answer to the question about the two pictures already there, and the run's result.
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("result"); // empty: no run
        QTest::newRow("replace") << QStringLiteral("覆盖") << QStringLiteral("成功：3 个");
        QTest::newRow("skip") << QStringLiteral("跳过") << QStringLiteral("成功：1 个，跳过：2 个");
        QTest::newRow("cancel") << QStringLiteral("取消") << QString();
    }

    void replaceQuestion()
    {
        QFETCH(QString, answer);
        QFETCH(QString, result);
        QTemporaryDir tmp;
        const QString save = tmp.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(save) && writeFile(tmp.filePath("data.csv"), "h\na,1\nb,2\nc,3\n")
                && writeFile(save + "/a.png", "old") && writeFile(save + "/b.png", "old"));
        MainWidget window;
        window.show();
        QWidget *form = workPage(&window, 0);
        form->findChild<QLineEdit *>("csvPathEdit")->setText(tmp.filePath("data.csv"));
        form->findChild<QLineEdit *>("savePathEdit")->setText(save);
        QStringList questions;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                questions << box->text();
                buttonWithText(box, answer)->click();
            }
        });
        answerer.start(10);
        form->findChild<QPushButton *>("csvCreateBtn")->click();
        QCOMPARE(questions, QStringList{QStringLiteral("保存文件夹中已有 2 个同名图片：覆盖 / 跳过 / 取消")});
        auto *label = form->findChild<QLabel *>("resultLabel");
        if (!result.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(label->text(), result, 20000);
        QCOMPARE(label->text(), result);
        QCOMPARE(readFile(save + "/a.png") == "old", answer != QStringLiteral("覆盖"));
        QCOMPARE(QFile::exists(save + "/c.png"), !result.isEmpty());
        if (answer == QStringLiteral("覆盖"))
            QCOMPARE(decodeQrCode(save + "/a.png"), QStringLiteral("1"));
    }

    void headingQuestion_data()
    {
        // A first line that looks like data is asked about before the run; the answer and the pictures made.
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("pictures");
        QTest::newRow("heading") << QByteArray("名称,内容\na,https://x.cn/1\n") << false << true << 1;
        QTest::newRow("address, cancelled") << QByteArray("a,https://x.cn/1\nb,https://x.cn/2\n") << true << false << 0;
        QTest::newRow("number, confirmed") << QByteArray("a,1001\n\nb,1002\n") << true << true << 1;
        QTest::newRow("address over text") << QByteArray("a,https://x.cn/1\nb,text\n") << false << true << 1;
    }

    void headingQuestion()
    {
        QFETCH(QByteArray, csv);
        QFETCH(bool, asked);
        QFETCH(bool, confirm);
        QFETCH(int, pictures);
        QTemporaryDir tmp;
        const QString save = tmp.filePath(QStringLiteral("out"));
        QVERIFY(writeFile(tmp.filePath("data.csv"), csv));
        MainWidget window;
        window.show();
        QWidget *form = workPage(&window, 0);
        QVERIFY(form->findChild<QLabel *>("fieldHint")->isVisibleTo(form));
        form->findChild<QLineEdit *>("csvPathEdit")->setText(tmp.filePath("data.csv"));
        form->findChild<QLineEdit *>("savePathEdit")->setText(save);
        int questions = 0;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                ++questions;
                box->button(confirm ? QMessageBox::Ok : QMessageBox::Cancel)->click();
            }
        });
        answerer.start(10);
        form->findChild<QPushButton *>("csvCreateBtn")->click();
        QCOMPARE(questions, int(asked));
        if (pictures)
            QTRY_VERIFY_WITH_TIMEOUT(form->findChild<QLabel *>("resultLabel")->text().startsWith(QStringLiteral("成功")), 20000);
        QCOMPARE(QDir(save).entryList({"*.png"}).size(), pictures);
    }

    void sheetList_data()
    {
        // Paths typed one after another, each answer awaited or not; a sheet chosen once the first
        // file's names are in; the list then shown ("" for none) and the sheet it shows.
        QTest::addColumn<QStringList>("paths"); // "<csv>" for a CSV file
        QTest::addColumn<bool>("awaited");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("shown");
        const QStringList xlsx{"隐藏", "名单", "其他"};
        QTest::newRow("xlsx: hidden sheet listed, first visible shown") << QStringList{"libreoffice.xlsx"} << true << "" << xlsx << "名单";
        QTest::newRow("xls") << QStringList{"workbook.xls"} << true << "" << xlsx << "名单";
        QTest::newRow("csv hides the list") << QStringList{"libreoffice.xlsx", "<csv>"} << true << "" << QStringList() << "";
        QTest::newRow("typed past a workbook") << QStringList{"libreoffice.xlsx", "<csv>"} << false << "" << QStringList() << "";
        QTest::newRow("another workbook") << QStringList{"libreoffice.xlsx", "formulas.xls"} << false << "" << QStringList{"结果"} << "结果";
        QTest::newRow("not a workbook inside") << QStringList{"renamed_csv.xlsx"} << true << "" << QStringList() << "";
        QTest::newRow("same file again keeps the sheet") << QStringList{"libreoffice.xlsx", "<csv>", "libreoffice.xlsx"} << true << "其他"
                                                         << xlsx << "其他";
    }

    void sheetList()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, awaited);
        QFETCH(QString, chosen);
        QFETCH(QStringList, names);
        QFETCH(QString, shown);
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath("data.csv"), "h\na,1\n"));
        MainWidget window;
        window.show();
        QWidget *form = workPage(&window, 0);
        auto *edit = form->findChild<QLineEdit *>("csvPathEdit");
        auto *list = form->findChild<QComboBox *>("sheetBox");
        for (int i = 0; i < paths.size(); ++i) {
            edit->setText(paths.at(i) == "<csv>" ? tmp.filePath("data.csv") : workbook(paths.at(i)));
            if (awaited)
                settle();
            if (i == 0 && !chosen.isEmpty())
                list->setCurrentIndex(list->findText(chosen));
        }
        settle();
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        QCOMPARE(list->isVisibleTo(form), !names.isEmpty());
        if (names.isEmpty())
            return;
        QCOMPARE(items, names);
        QCOMPARE(list->currentText(), shown);
    }

    void workbookRun_data()
    {
        // A run of the committed workbook with the sheet chosen on the page ("" leaves the one shown).
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("labelSheet");
        QTest::addColumn<bool>("restarted"); // chosen, the window closed and opened again, started at once
        QTest::addColumn<QStringList>("existing"); // pictures in the save folder beforehand
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("written"); // sorted
        // "picture=content", or the contents of the sheet's labels.
        QTest::addColumn<QStringList>("contents");
        const QString replace = QStringLiteral("保存文件夹中已有 1 个同名图片：覆盖 / 跳过 / 取消");
        const QStringList firstSheet{"EAN.png", "emoji.png", "error_log.txt", "公式.png", "共享.png", "前导零.png", "合并.png",
                                     "小数.png", "日期.png", "日本語.png", "时间.png", "身份证.png"};
        const QStringList other{"另一表.png=第二张表的内容"};
        QTest::newRow("chosen sheet") << "其他" << false << false << QStringList() << QStringList() << "成功：1 个" << QStringList{"另一表.png"} << other;
        // Only a picture named in the chosen sheet is counted, not those of the first.
        QTest::newRow("replace question of the chosen sheet") << "其他" << false << false << QStringList{"另一表.png", "共享.png", "EAN.png"}
                                                              << QStringList{replace} << "成功：1 个" << QStringList{"EAN.png", "共享.png", "另一表.png"} << other;
        QTest::newRow("first visible sheet") << "" << false << false << QStringList() << QStringList()
                                             << "成功：11 个， 错误：1 个，请在保存路径查看错误日志" << firstSheet << QStringList{"EAN.png=6901234567892"};
        QTest::newRow("chosen sheet after a restart") << "其他" << false << true << QStringList() << QStringList() << "成功：1 个"
                                                      << QStringList{"另一表.png"} << other;
        QTest::newRow("label sheet of the chosen sheet") << "其他" << true << false << QStringList() << QStringList() << "成功：1 个标签，1 页"
                                                         << QStringList{"libreoffice.pdf"} << QStringList{"第二张表的内容"};
        QTest::newRow("label sheet of the first visible sheet")
            << "" << true << false << QStringList() << QStringList() << "成功：11 个标签，1 页， 错误：1 个，请在保存路径查看错误日志"
            << QStringList{"error_log.txt", "libreoffice.pdf"}
            << QStringList{"中文内容：你好世界", "こんにちは、世界", "😀🎉 OK", "110105199003071234", "6901234567892", "2024-03-05",
                           "2024-03-05 14:30", "6901234567893", "合并单元格", "3.14", "000123"};
    }

    void workbookRun()
    {
        QFETCH(QString, sheet);
        QFETCH(bool, labelSheet);
        QFETCH(bool, restarted);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, questions);
        QFETCH(QString, result);
        QFETCH(QStringList, written);
        QFETCH(QStringList, contents);
        QTemporaryDir tmp;
        const QString save = tmp.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(save));
        for (const QString &name : existing)
            QVERIFY(writeFile(save + '/' + name, "old"));
        auto window = std::make_unique<MainWidget>();
        window->show();
        QWidget *form = workPage(window.get(), 0);
        const auto choose = [&] {
            form->findChild<QLineEdit *>("csvPathEdit")->setText(workbook("libreoffice.xlsx"));
            form->findChild<QLineEdit *>("savePathEdit")->setText(save);
            form->findChild<QCheckBox *>("sheetCheck")->setChecked(labelSheet);
            auto *list = form->findChild<QComboBox *>("sheetBox");
            if (!sheet.isEmpty()) {
                QTRY_VERIFY(list->isVisibleTo(form));
                list->setCurrentIndex(list->findText(sheet));
            }
        };
        choose();
        if (restarted) {
            window.reset();
            window = std::make_unique<MainWidget>();
            window->show();
            form = workPage(window.get(), 0);
        }
        QStringList asked;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                asked << box->text();
                if (QPushButton *replace = buttonWithText(box, QStringLiteral("覆盖")))
                    replace->click();
                else
                    box->reject();
            }
        });
        answerer.start(10);
        form->findChild<QPushButton *>("csvCreateBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(form->findChild<QLabel *>("resultLabel")->text(), result, 30000);
        QCOMPARE(asked, questions);
        QStringList files = QDir(save).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, written);
        if (labelSheet) {
            QCOMPARE(form->findChild<QComboBox *>("sheetLayoutChoice")->currentIndex(), 0);
            const QStringList labels = sheetLabels(save + "/libreoffice.pdf", namedSheets().first().layout, tmp.path());
            QCOMPARE(labels, contents);
            return;
        }
        for (const QString &picture : contents)
            QCOMPARE(decodeQrCode(save + '/' + picture.section('=', 0, 0)), picture.section('=', 1));
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
