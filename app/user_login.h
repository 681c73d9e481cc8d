#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// A login panel floating over the main window. It talks to no server: submitting
// only logs the phone number and changes the button text.
class UserLogin : public QWidget
{
    Q_OBJECT

public:
    explicit UserLogin(QWidget *parent = nullptr);

public slots:
    void onHideWidget();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void submit();

    QFrame *headerFrame;
    QLabel *titleText;
    QPushButton *closeBtn;
    QFrame *bodyFrame;
    QLabel *phoneLabel;
    QLineEdit *phoneEdit;
    QLabel *passwordLabel;
    QLineEdit *passwordEdit;
    QPushButton *loginSubmitBtn;
    QLabel *noAccountLabel;
    QPushButton *registerBtn;
    QVBoxLayout *panelLayout;
};
