#include "app/main_widget.h"

#include "app/bottom_widget.h"
#include "app/message_box.h"
#include "app/middle_widget.h"
#include "app/report_view.h"
#include "app/screen_fit.h"
#include "app/title_bar.h"
#include "app/user_login.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QSize minimumWindowSize(1000, 680);

} // namespace

MainWidget::MainWidget(QWidget *parent)
    : FramelessWidget(parent)
{
    setMinimumSize(minimumWindowSize);

    titleBar = new TitleBar(this);
    middleWidget = new MiddleWidget(this);
    bottomWidget = new BottomWidget(this);

    mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    mainLayout->addWidget(titleBar);
    mainLayout->addWidget(middleWidget);
    mainLayout->addWidget(bottomWidget);

    userLogin = new UserLogin(this);

    connect(this, &FramelessWidget::sig_PosChange, this, &MainWidget::placeUserLogin);
    connect(titleBar->closeButton(), &QPushButton::clicked, this, &MainWidget::onQuitOrHide);
    connect(titleBar->minimumButton(), &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(titleBar->maximumButton(), &QPushButton::clicked, this, &MainWidget::onShowMaximized);
    connect(titleBar->loginButton(), &QPushButton::clicked, this, &MainWidget::onUserLogin);
    connect(titleBar->userIconButton(), &QPushButton::clicked, this, &MainWidget::onUserLogin);
    runViews = findChildren<ReportView *>();
    for (ReportView *view : runViews)
        connect(view, &ReportView::runEnded, this, &MainWidget::closeIfRunsStopped);

    readSettings();
    // Typing can start at once, in the first field of the page.
    if (auto *firstField = middleWidget->findChild<QLineEdit *>())
        firstField->setFocus();
}

void MainWidget::keyPressEvent(QKeyEvent *event)
{
    // Enter presses a focused button as Space does; buttons leave it to their window.
    auto *button = qobject_cast<QAbstractButton *>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && button->isEnabled()) {
        button->animateClick();
        return;
    }
    FramelessWidget::keyPressEvent(event);
}

void MainWidget::onQuitOrHide()
{
    // A second click while the window collapses must not restart the animation.
    if (closeAnimation || !mayCloseNow(PendingClose::Animated))
        return;
    geometryBeforeClose = geometry();
    setMinimumSize(0, 0);
    closeAnimation = new QPropertyAnimation(this, "geometry");
    closeAnimation->setDuration(300);
    closeAnimation->setStartValue(geometry());
    closeAnimation->setEndValue(QRect(x(), y(), width(), 0));
    closeAnimation->setEasingCurve(QEasingCurve::OutQuint);
    connect(closeAnimation, &QPropertyAnimation::finished, this, [this] {
        setMinimumSize(minimumWindowSize);
        close();
    });
    closeAnimation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWidget::onShowMaximized()
{
    if (userLogin->isVisible())
        userLogin->hide();
    if (windowMaximized)
        showNormal();
    else
        showMaximized();
}

// The button follows the window's state, also when the window manager changes it.
void MainWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && isMaximized() != windowMaximized)
        showMaximizedLook(isMaximized());
    FramelessWidget::changeEvent(event);
}

void MainWidget::showMaximizedLook(bool maximized)
{
    windowMaximized = maximized;
    const QString image = maximized ? QStringLiteral("maximum_cancel") : QStringLiteral("maximum");
    titleBar->maximumButton()->setStyleSheet(
        QStringLiteral("QPushButton{border-image:url(://static/images/TitleBar/%1.png);} "
                       "QPushButton:hover{border-image:url(://static/images/TitleBar/%1_hover.png);} "
                       "QPushButton:focus{outline:none;border:2px solid #ffffff;}")
            .arg(image));
    titleBar->maximumButton()->setToolTip(maximized ? QStringLiteral("向下还原") : QStringLiteral("最大化"));
}

void MainWidget::onUserLogin()
{
    if (userLogin->isVisible()) {
        userLogin->hide();
        return;
    }
    placeUserLogin();
    userLogin->show();
    userLogin->raise();
}

void MainWidget::placeUserLogin()
{
    const QPoint p = titleBar->loginButton()->pos();
    userLogin->setGeometry(p.x() - 370, p.y() + 31, userLogin->width(), userLogin->height());
}

void MainWidget::mousePressEvent(QMouseEvent *event)
{
    // The window is dragged by its title bar; its edges resize it.
    if (titleBar->rect().contains(event->pos()))
        FramelessWidget::mousePressEvent(event);
}

void MainWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (titleBar->rect().contains(event->pos()))
        onShowMaximized();
}

void MainWidget::closeEvent(QCloseEvent *event)
{
    if (!mayCloseNow(PendingClose::Plain)) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

bool MainWidget::anyRunGoing() const
{
    for (const ReportView *view : runViews) {
        if (view->isRunning())
            return true;
    }
    return false;
}

bool MainWidget::mayCloseNow(PendingClose kind)
{
    if (!anyRunGoing())
        return true;
    // While runs are stopping for a close, a second request waits with the first.
    if (pendingClose != PendingClose::None || !askToConfirm(this, QStringLiteral("任务正在进行，确定停止并退出吗？")))
        return false;
    // The run may have ended while the question was open.
    if (!anyRunGoing())
        return true;
    pendingClose = kind;
    for (ReportView *view : runViews)
        view->requestStop();
    return false;
}

void MainWidget::closeIfRunsStopped()
{
    if (pendingClose == PendingClose::None || anyRunGoing())
        return;
    const PendingClose kind = pendingClose;
    pendingClose = PendingClose::None;
    if (kind == PendingClose::Animated)
        onQuitOrHide();
    else
        close();
}

void MainWidget::readSettings()
{
    QList<QRect> available;
    for (const QScreen *screen : QGuiApplication::screens())
        available << screen->availableGeometry();
    // The first start is centred on the main screen.
    const QRect primary = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry() : QRect();
    QRect first(QPoint(0, 0), minimumWindowSize);
    first.moveCenter(primary.center());
    const QSettings settings;
    const QRect wanted(settings.value(QStringLiteral("pos"), first.topLeft()).toPoint(),
                       settings.value(QStringLiteral("size"), minimumWindowSize).toSize());
    setGeometry(fitIntoScreens(wanted, available, minimumWindowSize));
}

void MainWidget::writeSettings()
{
    if (windowMaximized)
        return;
    const QRect remembered = geometryBeforeClose.isValid() ? geometryBeforeClose : QRect(pos(), size());
    geometryBeforeClose = QRect();
    QSettings settings;
    settings.setValue(QStringLiteral("pos"), remembered.topLeft());
    settings.setValue(QStringLiteral("size"), remembered.size());
}
