#include "batch_create/style_dialog.h"

#include "app/message_box.h"
#include "batch_create/color_button.h"
#include "batch_create/row_reader.h"
#include "batch_create/shape_icons.h"
#include "render/font_registry.h"
#include "style/style_file.h"
#include "style/style_presets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int previewSide = 320;
// Leaves the narrowest code a style file allows.
constexpr int minCodeSize = 100;

QFormLayout *addGroup(QVBoxLayout *column, const QString &title)
{
    auto *group = new QGroupBox(title);
    auto *form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    column->addWidget(group);
    return form;
}

} // namespace

StyleDialog::StyleDialog(const BatchStyle &style, const QString &styleName, const QString &csvPath, const QString &sheet,
                         QWidget *parent)
    : QDialog(parent)
    , csvPath(csvPath)
    , sheet(sheet)
{
    setWindowTitle(QStringLiteral("二维码样式"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *columns = new QHBoxLayout;
    columns->addWidget(buildPresets());
    columns->addWidget(buildSettings());
    columns->addWidget(buildPreview());
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    connect(&preview, &StylePreview::ready, this, &StyleDialog::showPreview);
    showStyle(style, styleName);
}

BatchStyle StyleDialog::style() const
{
    BatchStyle style = shown;
    for (const Binding &binding : bindings)
        binding.store(style);
    return style;
}

QWidget *StyleDialog::buildPresets()
{
    auto *box = new QWidget;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(QStringLiteral("预置样式")));
    presetList = new QListWidget;
    presetList->setObjectName(QStringLiteral("presetList"));
    presetList->setFixedWidth(150);
    const QVector<StylePreset> presets = stylePresets();
    for (const StylePreset &preset : presets) {
        auto *item = new QListWidgetItem(QStringLiteral("%1（%2）").arg(preset.title, preset.name), presetList);
        item->setToolTip(preset.description);
    }
    // Taken from the selection, not the current row: focus arriving on the list
    // makes its first row current, which must not replace the style in use.
    connect(presetList, &QListWidget::itemSelectionChanged, this, [this, presets] {
        const int row = presetList->selectedItems().isEmpty() ? -1 : presetList->row(presetList->selectedItems().first());
        if (!filling && row >= 0)
            showStyle(presets.at(row).style, presets.at(row).title);
    });
    column->addWidget(presetList);
    nameLabel = new QLabel;
    nameLabel->setObjectName(QStringLiteral("styleName"));
    column->addWidget(nameLabel);
    auto *load = new QPushButton(QStringLiteral("载入样式文件…"));
    auto *save = new QPushButton(QStringLiteral("保存为样式文件…"));
    connect(load, &QPushButton::clicked, this, &StyleDialog::loadFile);
    connect(save, &QPushButton::clicked, this, &StyleDialog::saveFile);
    column->addWidget(load);
    column->addWidget(save);
    return box;
}

QWidget *StyleDialog::buildSettings()
{
    auto *box = new QWidget;
    auto *columns = new QHBoxLayout(box);
    columns->setContentsMargins(0, 0, 0, 0);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    QFormLayout *code = addGroup(left, QStringLiteral("码点与定位点"));
    addChoice(code, QStringLiteral("码点形状"), "moduleShape", &QrStyleRecord::moduleShape,
              {QStringLiteral("方形"), QStringLiteral("圆点"), QStringLiteral("相连圆角")},
              {moduleShapeIcon(0), moduleShapeIcon(1), moduleShapeIcon(2)});
    addChoice(code, QStringLiteral("定位点形状"), "eyeShape", &QrStyleRecord::eyeShape,
              {QStringLiteral("方形"), QStringLiteral("圆形"), QStringLiteral("圆角方形")},
              {eyeShapeIcon(0), eyeShapeIcon(1), eyeShapeIcon(2)});
    addColour(code, QStringLiteral("码点颜色"), "darkModuleColor", &QrStyleRecord::darkModuleColor);
    addColour(code, QStringLiteral("浅色码点颜色"), "lightModuleColor", &QrStyleRecord::lightModuleColor);
    addColour(code, QStringLiteral("定位点外框"), "eyeOuterColor", &QrStyleRecord::eyeOuterColor);
    addColour(code, QStringLiteral("定位点中心"), "eyeInnerColor", &QrStyleRecord::eyeInnerColor);
    addChoice(code, QStringLiteral("纠错等级"), "errorCorrectionLevel", &QrStyleRecord::errorCorrectionLevel,
              {QStringLiteral("L（约 7%）"), QStringLiteral("M（约 15%）"), QStringLiteral("Q（约 25%）"),
               QStringLiteral("H（约 30%）")});

    QFormLayout *canvas = addGroup(left, QStringLiteral("画布"));
    addSpin(canvas, QStringLiteral("图片宽度"), "imageSize", &QrStyleRecord::imageSize, minCodeSize, 4000,
            QStringLiteral(" 像素"));
    marginSpin = addSpin(canvas, QStringLiteral("四周留白"), "margin", &QrStyleRecord::margin, 0, 1950,
                         QStringLiteral(" 像素"));
    addColour(canvas, QStringLiteral("画布颜色"), "canvasColor", &QrStyleRecord::canvasColor);
    auto *alpha = new QSpinBox;
    alpha->setObjectName(QStringLiteral("canvasAlpha"));
    alpha->setRange(0, 100);
    alpha->setSuffix(QStringLiteral(" %"));
    canvas->addRow(QStringLiteral("画布不透明度"), alpha);
    connect(alpha, QOverload<int>::of(&QSpinBox::valueChanged), this, &StyleDialog::changed);
    bindings.append({[alpha](const BatchStyle &s) { alpha->setValue(qRound(s.record.canvasAlpha * 100)); },
                     [alpha](BatchStyle &s) {
                         // Whole percent steps must not round away a finer value nobody changed.
                         if (alpha->value() != qRound(s.record.canvasAlpha * 100))
                             s.record.canvasAlpha = alpha->value() / 100.0;
                     }});
    left->addStretch();

    QFormLayout *label = addGroup(right, QStringLiteral("名称文字"));
    auto *caption = new QCheckBox(QStringLiteral("在二维码旁写出名称"));
    caption->setObjectName(QStringLiteral("caption"));
    label->addRow(caption);
    connect(caption, &QCheckBox::toggled, this, &StyleDialog::changed);
    bindings.append({[caption](const BatchStyle &s) { caption->setChecked(s.caption); },
                     [caption](BatchStyle &s) { s.caption = caption->isChecked(); }});
    QStringList families = shippedFontFamilies();
    families += QFontDatabase().families();
    families.removeDuplicates();
    addTextChoice(label, QStringLiteral("字体"), "labelFontFamily", &QrStyleRecord::labelFontFamily, families, families);
    addSpin(label, QStringLiteral("字号"), "labelPointSize", &QrStyleRecord::labelPointSize, 6, 200, QStringLiteral(" 磅"));
    addTextChoice(label, QStringLiteral("位置"), "labelPosition", &QrStyleRecord::labelPosition,
                  {QStringLiteral("下方"), QStringLiteral("上方"), QStringLiteral("居中压在码上")},
                  {QStringLiteral("bottom"), QStringLiteral("top"), QStringLiteral("center")});
    addSpin(label, QStringLiteral("字间距"), "labelLetterSpacing", &QrStyleRecord::labelLetterSpacing, 0, 100,
            QStringLiteral(" 像素"));
    addCheck(label, QStringLiteral("粗体"), "labelBold", &QrStyleRecord::labelBold);
    addColour(label, QStringLiteral("文字颜色"), "labelColor", &QrStyleRecord::labelColor);

    QFormLayout *pictures = addGroup(right, QStringLiteral("Logo 与背景"));
    addPicture(pictures, QStringLiteral("Logo 图片"), "logoPath", &QrStyleRecord::logoPath);
    addCheck(pictures, QStringLiteral("Logo 底框"), "logoFrame", &QrStyleRecord::logoFrame);
    addColour(pictures, QStringLiteral("底框颜色"), "logoFrameColor", &QrStyleRecord::logoFrameColor);
    addPicture(pictures, QStringLiteral("背景图片"), "backgroundPath", &QrStyleRecord::backgroundPath);
    addSpin(pictures, QStringLiteral("背景上横向位置"), "codeOffsetX", &QrStyleRecord::codeOffsetX, 0, 65535,
            QStringLiteral(" 像素"));
    addSpin(pictures, QStringLiteral("背景上纵向位置"), "codeOffsetY", &QrStyleRecord::codeOffsetY, 0, 65535,
            QStringLiteral(" 像素"));
    addSpin(pictures, QStringLiteral("顺时针旋转"), "codeRotation", &QrStyleRecord::codeRotation, 0, 359,
            QStringLiteral(" 度"));
    right->addStretch();
    return box;
}

QWidget *StyleDialog::buildPreview()
{
    auto *box = new QWidget;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(csvPath.isEmpty()             ? QStringLiteral("预览（示例文字）")
                                 : isWorkbookName(csvPath) ? QStringLiteral("预览（工作表的第一行）")
                                                           : QStringLiteral("预览（CSV 文件的第一行）")));
    previewLabel = new QLabel;
    previewLabel->setObjectName(QStringLiteral("preview"));
    previewLabel->setFixedSize(previewSide, previewSide);
    previewLabel->setAlignment(Qt::AlignCenter);
    previewLabel->setStyleSheet(QStringLiteral("QLabel{background:#ffffff;border:1px solid #ced4da;}"));
    column->addWidget(previewLabel);
    checkLabel = new QLabel;
    checkLabel->setObjectName(QStringLiteral("previewCheck"));
    // The message may quote the code's text, which must not be taken for markup.
    checkLabel->setTextFormat(Qt::PlainText);
    checkLabel->setWordWrap(true);
    checkLabel->setFixedWidth(previewSide);
    column->addWidget(checkLabel);
    column->addStretch();
    return box;
}

QSpinBox *StyleDialog::addSpin(QFormLayout *form, const QString &label, const char *field,
                               int QrStyleRecord::*member, int low, int high, const QString &suffix)
{
    auto *spin = new QSpinBox;
    spin->setObjectName(QLatin1String(field));
    spin->setRange(low, high);
    spin->setSuffix(suffix);
    spin->setKeyboardTracking(false);
    form->addRow(label, spin);
    connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this, &StyleDialog::changed);
    bindings.append({[spin, member](const BatchStyle &s) { spin->setValue(s.record.*member); },
                     [spin, member](BatchStyle &s) { s.record.*member = spin->value(); }});
    return spin;
}

void StyleDialog::addColour(QFormLayout *form, const QString &label, const char *field, QColor QrStyleRecord::*member)
{
    auto *button = new ColorButton(label);
    button->setObjectName(QLatin1String(field));
    form->addRow(label, button);
    connect(button, &ColorButton::colorChanged, this, &StyleDialog::changed);
    bindings.append({[button, member](const BatchStyle &s) { button->setColor(s.record.*member); },
                     [button, member](BatchStyle &s) { s.record.*member = button->color(); }});
}

QComboBox *StyleDialog::addChoice(QFormLayout *form, const QString &label, const char *field,
                                  int QrStyleRecord::*member, const QStringList &texts, const QVector<QIcon> &icons)
{
    auto *combo = new QComboBox;
    combo->setObjectName(QLatin1String(field));
    for (int i = 0; i < texts.size(); ++i)
        combo->addItem(icons.value(i), texts.at(i));
    if (!icons.isEmpty())
        combo->setIconSize(QSize(24, 24));
    form->addRow(label, combo);
    connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &StyleDialog::changed);
    bindings.append({[combo, member](const BatchStyle &s) { combo->setCurrentIndex(s.record.*member); },
                     [combo, member](BatchStyle &s) { s.record.*member = combo->currentIndex(); }});
    return combo;
}

QComboBox *StyleDialog::addTextChoice(QFormLayout *form, const QString &label, const char *field,
                                      QString QrStyleRecord::*member, const QStringList &texts,
                                      const QStringList &values)
{
    auto *combo = new QComboBox;
    combo->setObjectName(QLatin1String(field));
    for (int i = 0; i < texts.size(); ++i)
        combo->addItem(texts.at(i), values.at(i));
    form->addRow(label, combo);
    connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &StyleDialog::changed);
    bindings.append({[combo, member](const BatchStyle &s) {
                         // A family this system lacks stays the style's choice.
                         if (combo->findData(s.record.*member) < 0)
                             combo->addItem(s.record.*member, s.record.*member);
                         combo->setCurrentIndex(combo->findData(s.record.*member));
                     },
                     [combo, member](BatchStyle &s) { s.record.*member = combo->currentData().toString(); }});
    return combo;
}

QCheckBox *StyleDialog::addCheck(QFormLayout *form, const QString &label, const char *field, int QrStyleRecord::*member)
{
    auto *check = new QCheckBox;
    check->setObjectName(QLatin1String(field));
    form->addRow(label, check);
    connect(check, &QCheckBox::toggled, this, &StyleDialog::changed);
    bindings.append({[check, member](const BatchStyle &s) { check->setChecked(s.record.*member == 1); },
                     [check, member](BatchStyle &s) { s.record.*member = check->isChecked() ? 1 : 0; }});
    return check;
}

void StyleDialog::addPicture(QFormLayout *form, const QString &label, const char *field, QString QrStyleRecord::*member)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QLatin1String(field));
    edit->setPlaceholderText(QStringLiteral("不用"));
    auto *choose = new QToolButton;
    choose->setText(QStringLiteral("选择…"));
    auto *row = new QHBoxLayout;
    row->addWidget(edit);
    row->addWidget(choose);
    form->addRow(label, row);
    connect(choose, &QToolButton::clicked, this, [this, edit, label] {
        const QString path = QFileDialog::getOpenFileName(this, label, QString(),
                                                          QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp *.gif)"));
        if (!path.isEmpty())
            edit->setText(path);
    });
    // Every key would start a preview of a path not yet typed out.
    connect(edit, &QLineEdit::editingFinished, this, &StyleDialog::changed);
    connect(edit, &QLineEdit::textChanged, this, [this, edit] {
        if (!edit->hasFocus())
            changed();
    });
    bindings.append({[edit, member](const BatchStyle &s) { edit->setText(s.record.*member); },
                     [edit, member](BatchStyle &s) { s.record.*member = edit->text().trimmed(); }});
}

void StyleDialog::showStyle(const BatchStyle &style, const QString &styleName)
{
    filling = true;
    shown = style;
    name = styleName;
    // Set before the value, which the old maximum might clip.
    marginSpin->setMaximum((style.record.imageSize - minCodeSize) / 2);
    for (const Binding &binding : bindings)
        binding.show(style);
    const QVector<StylePreset> presets = stylePresets();
    int row = -1;
    for (int i = 0; i < presets.size(); ++i) {
        if (presets.at(i).title == styleName)
            row = i;
    }
    presetList->clearSelection();
    presetList->setCurrentRow(row);
    filling = false;
    nameLabel->setText(QStringLiteral("当前：%1").arg(name));
    requested = styleToJson(this->style());
    preview.request(this->style(), csvPath, sheet);
}

void StyleDialog::changed()
{
    if (filling)
        return;
    filling = true;
    marginSpin->setMaximum((style().record.imageSize - minCodeSize) / 2);
    filling = false;
    const BatchStyle now = style();
    // Leaving a field as it was is no change.
    if (styleToJson(now) == requested)
        return;
    requested = styleToJson(now);
    filling = true;
    // So that picking the same preset again restores it.
    presetList->clearSelection();
    presetList->setCurrentRow(-1);
    filling = false;
    name = QStringLiteral("自定义");
    nameLabel->setText(QStringLiteral("当前：%1").arg(name));
    preview.request(now, csvPath, sheet);
}

void StyleDialog::keyPressEvent(QKeyEvent *event)
{
    // Enter in a field has applied it and asked for a preview; only the buttons close.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !qobject_cast<QPushButton *>(focusWidget())) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void StyleDialog::loadFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("载入样式文件"), QString(),
                                                      QStringLiteral("样式文件 (*.json)"));
    if (path.isEmpty())
        return;
    BatchStyle loaded;
    const QString error = readStyleFile(path, &loaded);
    if (!error.isEmpty()) {
        showMessageBox(error);
        return;
    }
    showStyle(loaded, QFileInfo(path).completeBaseName());
}

void StyleDialog::saveFile()
{
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存为样式文件"), QString(),
                                                QStringLiteral("样式文件 (*.json)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".json");
    const QString error = writeStyleFile(path, style());
    if (!error.isEmpty()) {
        showMessageBox(error);
        return;
    }
    name = QFileInfo(path).completeBaseName();
    nameLabel->setText(QStringLiteral("当前：%1").arg(name));
}

void StyleDialog::showPreview(const QImage &picture, const QString &problem)
{
    QPixmap paper(previewLabel->size());
    paper.fill(Qt::white);
    if (!picture.isNull()) {
        const QImage fitted = picture.scaled(paper.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&paper);
        painter.drawImage((paper.width() - fitted.width()) / 2, (paper.height() - fitted.height()) / 2, fitted);
    }
    previewLabel->setPixmap(paper);
    checkLabel->setStyleSheet(problem.isEmpty() ? QStringLiteral("QLabel{color:#27ae60;}") : QStringLiteral("QLabel{color:#d63031;}"));
    checkLabel->setText(problem.isEmpty() ? QStringLiteral("预览的二维码可以识别") : problem);
}
