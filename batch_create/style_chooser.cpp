#include "batch_create/style_chooser.h"

#include "batch_create/sheet_list.h"
#include "batch_create/style_dialog.h"
#include "style/style_file.h"
#include "style/style_presets.h"

#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const char styleKey[] = "style/settings";
const char nameKey[] = "style/name";

} // namespace

StyleChooser::StyleChooser(const QLineEdit *csvPathEdit, const SheetList *sheetList, QWidget *parent)
    : QWidget(parent)
    , csvPathEdit(csvPathEdit)
    , sheetList(sheetList)
    , chosen(batchPreset())
    , chosenName(stylePresets().first().title)
{
    auto *button = new QToolButton(this);
    button->setText(QStringLiteral("样式…"));
    button->setObjectName(QStringLiteral("styleBtn"));
    nameLabel = new QLabel(this);
    nameLabel->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button);
    layout->addWidget(nameLabel);
    connect(button, &QToolButton::clicked, this, &StyleChooser::openDialog);

    // A remembered style that no longer reads leaves the preset in place.
    const QSettings settings;
    const QJsonObject remembered = QJsonDocument::fromJson(settings.value(QLatin1String(styleKey)).toByteArray()).object();
    if (!remembered.isEmpty() && styleFromJson(remembered, QString(), &chosen).isEmpty())
        chosenName = settings.value(QLatin1String(nameKey)).toString();
    nameLabel->setText(chosenName);
}

void StyleChooser::choose(const BatchStyle &style, const QString &name)
{
    chosen = style;
    chosenName = name;
    nameLabel->setText(name);
    QSettings settings;
    settings.setValue(QLatin1String(styleKey), QJsonDocument(styleToJson(style)).toJson(QJsonDocument::Compact));
    settings.setValue(QLatin1String(nameKey), name);
    emit styleChosen();
}

void StyleChooser::openDialog()
{
    StyleDialog dialog(chosen, chosenName, csvPathEdit->text(), sheetList ? sheetList->sheet() : QString(), this);
    if (dialog.exec() == QDialog::Accepted)
        choose(dialog.style(), dialog.styleName());
}
