#include "app/title_bar.h"

#include "common/product_site.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

QPushButton *makeButton(QWidget *parent, const QSize &size, const QString &styleSheet)
{
    auto *button = new QPushButton(parent);
    button->setFixedSize(size);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(styleSheet);
    return button;
}

QString hoverImageSheet(const QString &name)
{
    return QStringLiteral("QPushButton{background:transparent; border-image:url(://static/images/TitleBar/%1.png);} "
                          "QPushButton::hover{border-image:url(://static/images/TitleBar/%1_hover.png);} "
                          "QPushButton:focus{outline:none;border:2px solid #ffffff;}")
        .arg(name);
}

} // namespace

TitleBar::TitleBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("TitleBar"));
    setMouseTracking(true);
    setMinimumSize(1000, 50);
    titleLayout = new QHBoxLayout(this);

    titleLabel = new QLabel(QStringLiteral("Glyphora - ") + productSiteHost(), this);
    titleLabel->setFixedWidth(300);
    titleLabel->setCursor(Qt::PointingHandCursor);
    titleLabel->setStyleSheet(QStringLiteral("font-size:16px;color:#fff"));

    buttonLayout = new QHBoxLayout;

    userIconBtn.reset(makeButton(nullptr, QSize(40, 32),
        QStringLiteral("QPushButton{background:transparent; border-image:url(://static/images/TitleBar/userIcon.png);}")));

    loginBtn = std::make_unique<QPushButton>(QStringLiteral("未登录"));
    loginBtn->setFlat(true);
    loginBtn->setCursor(Qt::PointingHandCursor);
    loginBtn->setStyleSheet(QStringLiteral("QPushButton{background:transparent; color:rgb(238,238,238); border:none;}"));
    loginBtn->setFixedSize(loginBtn->sizeHint());

    setBtn.reset(makeButton(nullptr, QSize(15, 16), hoverImageSheet(QStringLiteral("set"))));

    lineLabel = std::make_unique<QLabel>();
    lineLabel->setPixmap(QPixmap(QStringLiteral("://static/images/TitleBar/line.png")));

    minimumBtn = makeButton(this, QSize(14, 18), hoverImageSheet(QStringLiteral("minimum")));
    minimumBtn->setToolTip(QStringLiteral("最小化"));
    maximumBtn = makeButton(this, QSize(14, 11), hoverImageSheet(QStringLiteral("maximum")));
    closeBtn = makeButton(this, QSize(12, 11), hoverImageSheet(QStringLiteral("close")));
    closeBtn->setToolTip(QStringLiteral("关闭"));
    // Tabbing through the window must not land on a button that closes or hides it.
    minimumBtn->setFocusPolicy(Qt::NoFocus);
    closeBtn->setFocusPolicy(Qt::NoFocus);

    buttonLayout->setSpacing(0);
    buttonLayout->addWidget(minimumBtn);
    buttonLayout->addSpacing(10);
    buttonLayout->addWidget(maximumBtn);
    buttonLayout->addSpacing(10);
    buttonLayout->addWidget(closeBtn);

    titleLayout->addWidget(titleLabel);
    titleLayout->addSpacing(60);
    titleLayout->addStretch();
    titleLayout->addLayout(buttonLayout);
}

TitleBar::~TitleBar() = default;
