#include "app/middle_widget_left_list.h"

#include "common/file_utils.h"
#include "common/product_site.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString labelStyle = QStringLiteral("QLabel{color:rgb(92,92,92);border-width: 0 1 0 1;}");
const QString navigationStyle = QStringLiteral(
    "QPushButton{background:transparent;border:none;padding:0 0 0 20px;text-align:left; color:#515151; } "
    "QPushButton::hover{color:#48b0f7; } QPushButton::checked{background:rgb(230,231,234)} "
    "QPushButton:focus{outline:none;border-left:4px solid #1f6fb2;padding-left:16px;}");

QLabel *makeLabel(const QString &text, int y, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setGeometry(11, y, 190, 30);
    label->setText(text);
    label->setStyleSheet(labelStyle);
    return label;
}

QPushButton *makeButton(const QString &text, int y, bool checkable, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setGeometry(1, y, 200, 30);
    button->setCheckable(checkable);
    button->setText(text);
    button->setStyleSheet(navigationStyle);
    return button;
}

QString siteAddress()
{
    QUrl url(productSiteUrl());
    url.setPath(QStringLiteral("/"));
    url.setQuery(QStringLiteral("ref=soft"));
    return url.toString();
}

} // namespace

MiddleWidgetLeftList::MiddleWidgetLeftList(QWidget *parent)
    : QFrame(parent)
{
    setFixedWidth(202);
    setObjectName(QStringLiteral("MiddleWidgetLeftList"));

    commonLabel = makeLabel(QStringLiteral("常用功能"), 0, this);
    batchCreateBtn = makeButton(QStringLiteral("批量生成"), 30, true, this);
    batchCreateBtn->setChecked(true);
    batchJieMaBtn = makeButton(QStringLiteral("批量解码"), 60, true, this);
    mineLabel = makeLabel(QStringLiteral("我的"), 120, this);
    siteBtn = makeButton(QStringLiteral("Glyphora"), 150, false, this);
    connect(siteBtn, &QPushButton::clicked, this, [] { openUrl(siteAddress()); });

    buttonGroup = new QButtonGroup(this);
    buttonGroup->setExclusive(true);
    buttonGroup->addButton(batchCreateBtn);
    buttonGroup->addButton(batchJieMaBtn);

    buttonList << batchCreateBtn << batchJieMaBtn;
}
