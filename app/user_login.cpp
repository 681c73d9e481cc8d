#include "app/user_login.h"

#include <QDebug>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString labelStyle = QStringLiteral("QLabel{color:#666666;border:none;font-size:14px}");
const QString editStyle = QStringLiteral(
    "color: #8b95a5;border-color: #F2F3F3;background-color: #fff;border: 1px solid #ced4da;font-size:14px");

QLabel *makeLabel(const QString &text, const QRect &geometry, const QString &styleSheet, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignRight);
    label->setStyleSheet(styleSheet);
    return label;
}

QLineEdit *makeEdit(const QString &placeholder, const QRect &geometry, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    edit->setPlaceholderText(placeholder);
    edit->setStyleSheet(editStyle);
    return edit;
}

} // namespace

UserLogin::UserLogin(QWidget *parent)
    : QWidget(parent)
{
    hide();
    setObjectName(QStringLiteral("UserLogin"));
    setStyleSheet(QStringLiteral("QFrame {background:#f6f6f8;border-color:#E1E1E2;border-width: 1px;border-style: solid;}"));
    setFixedSize(420, 240);

    headerFrame = new QFrame(this);
    headerFrame->setFixedHeight(40);
    headerFrame->setStyleSheet(QStringLiteral("QFrame{background:#ffffff;border-bottom-width:0;}"));
    titleText = new QLabel(QStringLiteral("用户登陆"), headerFrame);
    titleText->setGeometry(10, 10, 400, 20);
    titleText->setAlignment(Qt::AlignCenter);
    titleText->setStyleSheet(QStringLiteral("QLabel{color:#666666;border:none;font-size:14px;font-weight: 700;}"));
    closeBtn = new QPushButton(headerFrame);
    closeBtn->setGeometry(390, 15, 10, 10);
    closeBtn->setCursor(Qt::PointingHandCursor);
    closeBtn->setStyleSheet(QStringLiteral("QPushButton{background:transparent;border-image:url(:/static/images/close.png)}"));

    bodyFrame = new QFrame(this);
    bodyFrame->setFixedHeight(height() - 40);
    bodyFrame->setStyleSheet(QStringLiteral("QFrame{background:#ffffff;border-top-color:#f5f5f5;}"));
    phoneLabel = makeLabel(QStringLiteral("手机号码："), QRect(10, 27, 100, 20), labelStyle, bodyFrame);
    phoneEdit = makeEdit(QStringLiteral("请输入手机号码"), QRect(110, 20, 270, 30), bodyFrame);
    passwordLabel = makeLabel(QStringLiteral("登陆密码："), QRect(10, 77, 100, 20), labelStyle, bodyFrame);
    passwordEdit = makeEdit(QStringLiteral("请输入登陆密码"), QRect(110, 70, 270, 30), bodyFrame);
    passwordEdit->setEchoMode(QLineEdit::Password);
    loginSubmitBtn = new QPushButton(QStringLiteral("登陆"), bodyFrame);
    loginSubmitBtn->setGeometry(150, 120, 120, 30);
    loginSubmitBtn->setCursor(Qt::PointingHandCursor);
    loginSubmitBtn->setStyleSheet(QStringLiteral(
        "QPushButton{background-color: #48b0f7;border-color: #48b0f7;color: #fff;padding: 5px 12px; font-size: 14px;border:none}"
        "QPushButton:hover{background-color: #65bdf8;border-color: #65bdf8;}"));
    noAccountLabel = makeLabel(QStringLiteral("还没帐号?"), QRect(110, 170, 100, 20),
                               QStringLiteral("QLabel{color:#666666;border:none;font-size:12px}"), bodyFrame);
    registerBtn = new QPushButton(QStringLiteral("现在注册"), bodyFrame);
    registerBtn->setGeometry(190, 166, 100, 20);
    registerBtn->setCursor(Qt::PointingHandCursor);
    registerBtn->setStyleSheet(QStringLiteral(
        "QPushButton{color: #48b0f7; font-size: 12px;border:none;padding:0;margin:0}QPushButton:hover{color: #65bdf8;}"));

    panelLayout = new QVBoxLayout(this);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(headerFrame);
    panelLayout->addWidget(bodyFrame);
    panelLayout->addStretch();

    connect(closeBtn, &QPushButton::clicked, this, &QWidget::hide);
    connect(loginSubmitBtn, &QPushButton::clicked, this, &UserLogin::submit);
}

void UserLogin::onHideWidget()
{
    hide();
}

void UserLogin::showEvent(QShowEvent *event)
{
    loginSubmitBtn->setText(QStringLiteral("登陆"));
    QWidget::showEvent(event);
}

void UserLogin::submit()
{
    const QString password = passwordEdit->text();
    const QString phone = phoneEdit->text();
    // The password itself never goes into a log.
    const QString maskedPassword = password.isEmpty() ? QString() : QStringLiteral("******");
    qDebug() << "loginSubmitBtn" << phone << maskedPassword;
    loginSubmitBtn->setText(QStringLiteral("登陆中.."));
}
