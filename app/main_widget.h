#pragma once

#include "app/frameless_widget.h"

#include <QList>
#include <QPointer>
#include <QRect>

class BottomWidget;
class MiddleWidget;
class QPropertyAnimation;
class ReportView;
class QVBoxLayout;
class TitleBar;
class UserLogin;

// The one top-level window: title bar, centre area and bottom bar, with a hidden
// login panel floating over them. Remembers its position and size between runs.
// Closing it while a batch runs asks first, stops the run and closes when it has
// stopped.
class MainWidget : public FramelessWidget
{
    Q_OBJECT

public:
    explicit MainWidget(QWidget *parent = nullptr);

public slots:
    void onQuitOrHide();
    void onShowMaximized();
    void onUserLogin();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class PendingClose { None, Plain, Animated };

    bool anyRunGoing() const;
    // True when nothing runs; otherwise asks, stops the runs and closes later.
    bool mayCloseNow(PendingClose kind);
    void closeIfRunsStopped();
    void showMaximizedLook(bool maximized);
    void placeUserLogin();
    void readSettings();
    void writeSettings();

    QVBoxLayout *mainLayout;
    TitleBar *titleBar;
    MiddleWidget *middleWidget;
    BottomWidget *bottomWidget;
    UserLogin *userLogin;
    bool windowMaximized = false;
    // The collapse animation of a close, and the geometry from before it, which
    // is the one to remember.
    QPointer<QPropertyAnimation> closeAnimation;
    QRect geometryBeforeClose;
    QList<ReportView *> runViews;
    PendingClose pendingClose = PendingClose::None;
};
