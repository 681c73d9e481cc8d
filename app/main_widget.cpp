#include "app/main_widget.h"

#include "app/bottom_widget.h"
#include "app/middle_widget.h"
#include "app/title_bar.h"
#include "app/user_login.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QSize minimumWindowSize(1000, 680);

} // namespace

MainWidget::MainWidget(QWidget *parent)
    : FramelessWidget(parent)
{
    setMinimumSize(minimumWindowSize);
    setFocus();

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

    readSettings();
}

void MainWidget::onQuitOrHide()
{
    // A second click while the window collapses must not restart the animation.
    if (closeAnimation)
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
    QPushButton *button = titleBar->maximumButton();
    if (windowMaximized) {
        windowMaximized = false;
        showNormal();
        button->setStyleSheet(QStringLiteral(
            "QPushButton{border-image:url(://static/images/TitleBar/maximum.png);} "
            "QPushButton:hover{border-image:url(://static/images/TitleBar/maximum_hover.png);}"));
        button->setToolTip(QStringLiteral("最大化"));
    } else {
        windowMaximized = true;
        showMaximized();
        button->setStyleSheet(QStringLiteral(
            "QPushButton{border-image:url(://static/images/TitleBar/maximum_cancel.png);} "
            "QPushButton:hover{border-image:url(://static/images/TitleBar/maximum_cancel_hover.png);}"));
        button->setToolTip(QStringLiteral("向下还原"));
    }
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
    const QPoint p = event->pos();
    const QRect corner(QPoint(width() - 13, height() - 13), QPoint(width() + 1, height() + 1));
    if (titleBar->rect().contains(p) || corner.contains(p))
        FramelessWidget::mousePressEvent(event);
}

void MainWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (titleBar->rect().contains(event->pos()))
        onShowMaximized();
}

void MainWidget::closeEvent(QCloseEvent *event)
{
    writeSettings();
    event->accept();
}

void MainWidget::readSettings()
{
    QSettings settings;
    move(settings.value(QStringLiteral("pos"), QPoint(200, 200)).toPoint());
    resize(settings.value(QStringLiteral("size"), QSize(1000, 600)).toSize());
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
