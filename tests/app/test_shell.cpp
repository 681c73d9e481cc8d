#include "app/main_widget.h"
#include "app/middle_widget_left_list.h"
#include "app/middle_widget_right_stack.h"
#include "app/title_bar.h"
#include "app/user_login.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

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
    }

    void init() { QSettings().clear(); }

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

    void maximiseHidesLogin()
    {
        MainWidget window;
        window.show();
        TitleBar *titleBar = window.findChild<TitleBar *>();
        auto *login = window.findChild<UserLogin *>();
        titleBar->loginButton()->move(900, 10);
        window.onUserLogin();
        QVERIFY(login->isVisible());
        QCOMPARE(login->pos(), QPoint(530, 41));
        QPushButton *button = titleBar->maximumButton();
        for (const bool maximised : {true, false}) {
            button->click();
            QCOMPARE(window.isMaximized(), maximised);
            QCOMPARE(button->toolTip(), QString(maximised ? "向下还原" : "最大化"));
            QCOMPARE(button->styleSheet().contains("maximum_cancel.png"), maximised);
            QVERIFY(!login->isVisible());
        }
    }

    void loginSubmit_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("empty fields") << "" << "" << "loginSubmitBtn \"\" \"\"";
        QTest::newRow("password masked") << "13800138000" << "secret" << "loginSubmitBtn \"13800138000\" \"******\"";
    }

    void loginSubmit()
    {
        QFETCH(QString, phone);
        QFETCH(QString, password);
        QFETCH(QString, logLine);
        UserLogin login;
        QLineEdit *phoneEdit = nullptr;
        QLineEdit *passwordEdit = nullptr;
        for (QLineEdit *edit : login.findChildren<QLineEdit *>())
            (edit->echoMode() == QLineEdit::Password ? passwordEdit : phoneEdit) = edit;
        phoneEdit->setText(phone);
        passwordEdit->setText(password);
        QPushButton *submit = buttonWithText(&login, QStringLiteral("登陆"));
        QTest::ignoreMessage(QtDebugMsg, logLine.toUtf8().constData());
        submit->click();
        QCOMPARE(submit->text(), QStringLiteral("登陆中.."));
        login.show();
        QCOMPARE(submit->text(), QStringLiteral("登陆"));
        QCOMPARE(phoneEdit->text(), phone);
        QCOMPARE(passwordEdit->text(), password);
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
    }

    void settings()
    {
        QFETCH(QString, close);
        const QRect firstStart(200, 200, 1000, 680);
        MainWidget window;
        window.show();
        QCOMPARE(window.geometry(), firstStart);
        window.setGeometry(300, 150, 1100, 760);
        if (close == "maximised")
            window.onShowMaximized();
        if (close == "button")
            window.findChild<TitleBar *>()->closeButton()->click();
        else
            window.close();
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(MainWidget().geometry(), close == "maximised" ? firstStart : QRect(300, 150, 1100, 760));
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
