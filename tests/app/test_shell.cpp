#include "app/bottom_widget.h"
#include "app/frameless_widget.h"
#include "app/main_widget.h"
#include "app/middle_widget_left_list.h"
#include "app/middle_widget_right_stack.h"
#include "app/product_site.h"
#include "app/resources.h"
#include "app/title_bar.h"
#include "app/user_login.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::MouseButton)

namespace {

// Moves the pointer to a global position and reports the move to the widget,
// as the window system does for the widget under (or grabbing) the pointer.
void moveMouse(QWidget *target, const QPoint &global, Qt::MouseButtons buttons)
{
    QCursor::setPos(global);
    QMouseEvent event(QEvent::MouseMove, target->mapFromGlobal(global), global, Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The widget a press at this window point reaches first, and the point in its coordinates.
QWidget *receiverAt(QWidget *window, const QPoint &point, QPoint *local)
{
    QWidget *child = window->childAt(point);
    QWidget *target = child ? child : window;
    *local = target->mapFrom(window, point);
    return target;
}

QPushButton *buttonWithText(QWidget *parent, const QString &text)
{
    for (QPushButton *button : parent->findChildren<QPushButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

// Receives the web addresses the program asks the desktop to open.
class UrlSink : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void framelessPressZones_data();
    void framelessPressZones();
    void resizeCursor_data();
    void resizeCursor();
    void windowTakesPressesOnlyInTitleBarAndCorner_data();
    void windowTakesPressesOnlyInTitleBarAndCorner();
    void maximiseToggle();
    void doubleClick_data();
    void doubleClick();
    void loginPanelPlacement_data();
    void loginPanelPlacement();
    void loginSubmit_data();
    void loginSubmit();
    void navigation_data();
    void navigation();
    void siteButtonOpensProductSite();
    void gripFollowsCorner();
    void firstStartUsesDefaults();
    void closeStoresGeometry_data();
    void closeStoresGeometry();

private:
    QTemporaryDir settingsDir;
};

void TestShell::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QApplication::setApplicationName(QStringLiteral("Tavrion"));
    QApplication::setOrganizationName(QStringLiteral("Tavrion"));
    initResources();
}

void TestShell::init()
{
    QSettings().clear();
}

void TestShell::framelessPressZones_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("cornerCursorFirst");
    QTest::addColumn<QPoint>("shift");
    QTest::addColumn<QSize>("size");

    // A 400 x 300 window; the pointer then moves by (40, 30).
    QTest::newRow("upper part drags") << QPoint(10, 10) << Qt::LeftButton << false << QPoint(40, 30) << QSize(400, 300);
    QTest::newRow("bottom strip drags") << QPoint(363, 290) << Qt::LeftButton << false << QPoint(40, 30) << QSize(400, 300);
    QTest::newRow("corner resizes") << QPoint(395, 295) << Qt::LeftButton << true << QPoint() << QSize(435, 325);
    QTest::newRow("corner square edge resizes") << QPoint(364, 264) << Qt::LeftButton << true << QPoint() << QSize(404, 294);
    QTest::newRow("corner before any diagonal cursor") << QPoint(395, 295) << Qt::LeftButton << false << QPoint() << QSize(400, 300);
    QTest::newRow("right button") << QPoint(10, 10) << Qt::RightButton << false << QPoint() << QSize(400, 300);
}

void TestShell::framelessPressZones()
{
    QFETCH(QPoint, press);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, cornerCursorFirst);
    QFETCH(QPoint, shift);
    QFETCH(QSize, size);

    FramelessWidget window;
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy resized(&window, &FramelessWidget::sig_PosChange);

    if (cornerCursorFirst)
        moveMouse(&window, window.mapToGlobal(QPoint(397, 297)), Qt::NoButton);
    const QPoint start = window.pos();
    const QPoint global = window.mapToGlobal(press);
    QTest::mousePress(&window, button, Qt::NoModifier, press);
    moveMouse(&window, global + QPoint(20, 15), button);
    moveMouse(&window, global + QPoint(40, 30), button);
    QCOMPARE(window.pos(), start + shift);
    QCOMPARE(window.size(), size);
    if (size != QSize(400, 300))
        QCOMPARE(resized.last(), QVariantList({size.width(), size.height()}));
    else
        QVERIFY(resized.isEmpty());

    // Releasing far outside the window ends the drag or resize.
    QTest::mouseRelease(&window, button, Qt::NoModifier, QPoint(900, 900));
    moveMouse(&window, global + QPoint(90, 70), Qt::NoButton);
    QCOMPARE(window.pos(), start + shift);
    QCOMPARE(window.size(), size);
}

void TestShell::resizeCursor_data()
{
    QTest::addColumn<int>("fromRight");
    QTest::addColumn<int>("fromBottom");
    QTest::addColumn<Qt::CursorShape>("shape");
    QTest::newRow("17 and 17") << 17 << 17 << Qt::SizeFDiagCursor;
    QTest::newRow("18 from the right") << 18 << 17 << Qt::ArrowCursor;
    QTest::newRow("18 from the bottom") << 17 << 18 << Qt::ArrowCursor;
    QTest::newRow("middle") << 200 << 150 << Qt::ArrowCursor;
}

void TestShell::resizeCursor()
{
    QFETCH(int, fromRight);
    QFETCH(int, fromBottom);
    QFETCH(Qt::CursorShape, shape);

    FramelessWidget window;
    window.setGeometry(100, 100, 400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Start from the other shape, so that the move must set it.
    const QPoint start = shape == Qt::ArrowCursor ? QPoint(399, 299) : QPoint(10, 10);
    moveMouse(&window, window.mapToGlobal(start), Qt::NoButton);
    moveMouse(&window, window.mapToGlobal(QPoint(400 - fromRight, 300 - fromBottom)), Qt::NoButton);
    QCOMPARE(window.cursor().shape(), shape);
}

void TestShell::windowTakesPressesOnlyInTitleBarAndCorner_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("resizes");
    // The window is 1000 x 680; the title bar is 50 high.
    QTest::newRow("title text") << QPoint(20, 25) << true << false;
    QTest::newRow("empty title bar") << QPoint(600, 5) << true << false;
    QTest::newRow("page") << QPoint(600, 300) << false << false;
    QTest::newRow("navigation list") << QPoint(100, 600) << false << false;
    QTest::newRow("bottom bar") << QPoint(20, 665) << false << false;
    QTest::newRow("bottom bar near the grip") << QPoint(985, 665) << false << false;
    QTest::newRow("grip") << QPoint(992, 672) << false << true;
}

void TestShell::windowTakesPressesOnlyInTitleBarAndCorner()
{
    QFETCH(QPoint, press);
    QFETCH(bool, moves);
    QFETCH(bool, resizes);

    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The grip is reached by the pointer, which shows the diagonal cursor first.
    moveMouse(&window, window.mapToGlobal(QPoint(995, 675)), Qt::NoButton);
    QPoint local;
    QWidget *target = receiverAt(&window, press, &local);
    const QPoint global = window.mapToGlobal(press);
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, local);
    moveMouse(target, global + QPoint(50, 40), Qt::LeftButton);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, target->mapFromGlobal(global + QPoint(50, 40)));

    QCOMPARE(window.pos(), QPoint(200, 200) + (moves ? QPoint(50, 40) : QPoint()));
    QCOMPARE(window.size(), resizes ? QSize(1042, 712) : QSize(1000, 680));
}

void TestShell::maximiseToggle()
{
    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *button = window.findChild<TitleBar *>()->maximumButton();
    auto *login = window.findChild<UserLogin *>();
    QVERIFY(button->toolTip().isEmpty());

    window.onUserLogin();
    QVERIFY(login->isVisible());
    button->click();
    QVERIFY(window.isMaximized());
    QVERIFY(!login->isVisible());
    QCOMPARE(button->toolTip(), QStringLiteral("向下还原"));
    QCOMPARE(button->styleSheet(),
             QStringLiteral("QPushButton{border-image:url(://static/images/TitleBar/maximum_cancel.png);} "
                            "QPushButton:hover{border-image:url(://static/images/TitleBar/maximum_cancel_hover.png);}"));

    button->click();
    QVERIFY(!window.isMaximized());
    QCOMPARE(button->toolTip(), QStringLiteral("最大化"));
    QCOMPARE(button->styleSheet(),
             QStringLiteral("QPushButton{border-image:url(://static/images/TitleBar/maximum.png);} "
                            "QPushButton:hover{border-image:url(://static/images/TitleBar/maximum_hover.png);}"));
}

void TestShell::doubleClick_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("toggles");
    QTest::newRow("title bar") << QPoint(500, 25) << true;
    QTest::newRow("page") << QPoint(500, 300) << false;
    QTest::newRow("bottom bar") << QPoint(500, 665) << false;
}

void TestShell::doubleClick()
{
    QFETCH(QPoint, point);
    QFETCH(bool, toggles);

    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPoint local;
    QWidget *target = receiverAt(&window, point, &local);
    QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, local);
    QCOMPARE(window.isMaximized(), toggles);
}

void TestShell::loginPanelPlacement_data()
{
    QTest::addColumn<QPoint>("loginButtonPos");
    QTest::addColumn<QRect>("panel");
    QTest::newRow("button unplaced") << QPoint(0, 0) << QRect(-370, 31, 420, 240);
    QTest::newRow("button in the title bar") << QPoint(900, 10) << QRect(530, 41, 420, 240);
}

void TestShell::loginPanelPlacement()
{
    QFETCH(QPoint, loginButtonPos);
    QFETCH(QRect, panel);

    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *login = window.findChild<UserLogin *>();
    QVERIFY(!login->isVisible());
    window.findChild<TitleBar *>()->loginButton()->move(loginButtonPos);

    // A corner resize places the panel but does not show it.
    emit window.sig_PosChange(1100, 700);
    QCOMPARE(login->geometry(), panel);
    QVERIFY(!login->isVisible());

    login->move(0, 0);
    window.onUserLogin();
    QVERIFY(login->isVisible());
    QCOMPARE(login->geometry(), panel);
    window.onUserLogin();
    QVERIFY(!login->isVisible());
}

void TestShell::loginSubmit_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("empty fields") << "" << "" << "loginSubmitBtn \"\" \"\"";
    QTest::newRow("filled in") << "13800138000" << "secret" << "loginSubmitBtn \"13800138000\" \"******\"";
}

void TestShell::loginSubmit()
{
    QFETCH(QString, phone);
    QFETCH(QString, password);
    QFETCH(QString, logLine);

    QWidget window;
    auto *login = new UserLogin(&window);
    window.show();
    login->show();
    QLineEdit *phoneEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;
    for (QLineEdit *edit : login->findChildren<QLineEdit *>())
        (edit->echoMode() == QLineEdit::Password ? passwordEdit : phoneEdit) = edit;
    QVERIFY(phoneEdit && passwordEdit);
    phoneEdit->setText(phone);
    passwordEdit->setText(password);

    QPushButton *submit = buttonWithText(login, QStringLiteral("登陆"));
    QVERIFY(submit);
    QTest::ignoreMessage(QtDebugMsg, logLine.toUtf8().constData());
    submit->click();
    QCOMPARE(submit->text(), QStringLiteral("登陆中.."));
    QVERIFY(login->isVisible());

    // The close button hides the panel; showing it again resets only the button.
    QPushButton *close = nullptr;
    for (QPushButton *button : login->findChildren<QPushButton *>())
        if (button->styleSheet().contains(QLatin1String("close.png")))
            close = button;
    QVERIFY(close);
    close->click();
    QVERIFY(!login->isVisible());
    login->show();
    QCOMPARE(submit->text(), QStringLiteral("登陆"));
    QCOMPARE(phoneEdit->text(), phone);
    QCOMPARE(passwordEdit->text(), password);
}

void TestShell::navigation_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::newRow("decoding then generation") << QList<int>{1, 0};
    QTest::newRow("already checked") << QList<int>{0, 0};
}

void TestShell::navigation()
{
    QFETCH(QList<int>, clicks);

    MainWidget window;
    auto *list = window.findChild<MiddleWidgetLeftList *>();
    auto *stack = window.findChild<MiddleWidgetRightStack *>();
    QCOMPARE(list->buttonList.size(), 2);
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->currentIndex(), 0);
    QVERIFY(list->buttonList.at(0)->isChecked());
    for (const int index : clicks) {
        list->buttonList.at(index)->click();
        QCOMPARE(stack->currentIndex(), index);
        for (int i = 0; i < list->buttonList.size(); ++i)
            QCOMPARE(list->buttonList.at(i)->isChecked(), i == index);
    }
}

void TestShell::siteButtonOpensProductSite()
{
    UrlSink sink;
    const QString scheme = QUrl(productSiteUrl()).scheme();
    QDesktopServices::setUrlHandler(scheme, &sink, "open");
    MainWidget window;
    auto *stack = window.findChild<MiddleWidgetRightStack *>();
    QPushButton *site = buttonWithText(&window, QStringLiteral("Glyphora"));
    QVERIFY(site);
    site->click();
    QDesktopServices::unsetUrlHandler(scheme);
    const QUrl root = QUrl(productSiteUrl()).resolved(QUrl(QStringLiteral("/?ref=soft")));
    QCOMPARE(sink.opened, QList<QUrl>{root});
    QCOMPARE(root.path(), QStringLiteral("/"));
    QCOMPARE(stack->currentIndex(), 0);
    QVERIFY(window.findChild<MiddleWidgetLeftList *>()->buttonList.at(0)->isChecked());
}

void TestShell::gripFollowsCorner()
{
    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(1300, 700);
    auto *bar = window.findChild<BottomWidget *>();
    QLabel *grip = nullptr;
    for (QLabel *label : bar->findChildren<QLabel *>())
        if (label->text().isEmpty())
            grip = label;
    QVERIFY(grip);
    bar->repaint();
    QCOMPARE(grip->geometry(), QRect(bar->width() - 13, bar->height() - 13, 10, 10));
    QCOMPARE(bar->width(), 1300);
}

void TestShell::firstStartUsesDefaults()
{
    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.pos(), QPoint(200, 200));
    QCOMPARE(window.size(), QSize(1000, 680));
}

void TestShell::closeStoresGeometry_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QPoint>("storedPos");
    QTest::addColumn<QSize>("storedSize");
    // Each close follows an earlier one in the normal state at (250, 260), 1200 x 720.
    QTest::newRow("system close") << "system" << QPoint(300, 150) << QSize(1100, 760);
    QTest::newRow("close button keeps the size before the collapse") << "button" << QPoint(300, 150) << QSize(1100, 760);
    QTest::newRow("maximised stores nothing") << "maximised" << QPoint(250, 260) << QSize(1200, 720);
}

void TestShell::closeStoresGeometry()
{
    QFETCH(QString, how);
    QFETCH(QPoint, storedPos);
    QFETCH(QSize, storedSize);

    {
        MainWidget earlier;
        earlier.show();
        earlier.move(250, 260);
        earlier.resize(1200, 720);
        earlier.close();
    }
    MainWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.pos(), QPoint(250, 260));
    QCOMPARE(window.size(), QSize(1200, 720));
    window.move(300, 150);
    window.resize(1100, 760);
    if (how == QLatin1String("button")) {
        window.findChild<TitleBar *>()->closeButton()->click();
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(window.minimumSize(), QSize(1000, 680));
    } else {
        if (how == QLatin1String("maximised"))
            window.onShowMaximized();
        window.close();
    }

    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("pos")).toPoint(), storedPos);
    QCOMPARE(settings.value(QStringLiteral("size")).toSize(), storedSize);
    MainWidget next;
    QCOMPARE(next.pos(), storedPos);
    QCOMPARE(next.size(), storedSize);
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"
