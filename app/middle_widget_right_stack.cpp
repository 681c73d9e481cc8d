#include "app/middle_widget_right_stack.h"

#include "batch_create/csv_create.h"
#include "batch_decode/jie_ma.h"

MiddleWidgetRightStack::MiddleWidgetRightStack(QWidget *parent)
    : QStackedWidget(parent)
{
    setObjectName(QStringLiteral("MiddleWidgetRightStack"));
    csvCreatePage = new CsvCreate(this);
    addWidget(csvCreatePage);
    jieMaPage = new JieMa(this);
    addWidget(jieMaPage);
}

void MiddleWidgetRightStack::slot_widget4MatchSong()
{
}
