#pragma once

#include "style/batch_style.h"
#include "style/style_preview.h"

#include <QDialog>
#include <QJsonObject>
#include <QVector>

#include <functional>

class ColorButton;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

// The style of the generation page: shipped styles, the settings users change,
// style files, and a live preview of the first CSV row that warns in red when the
// code does not read back.
class StyleDialog : public QDialog
{
    Q_OBJECT

public:
    // The preview draws the first row of the file, of the sheet named for a workbook.
    StyleDialog(const BatchStyle &style, const QString &styleName, const QString &csvPath, const QString &sheet,
                QWidget *parent = nullptr);

    // The style as the dialog shows it.
    BatchStyle style() const;
    // The shipped style's title or the style file's name; "自定义" once changed here.
    QString styleName() const { return name; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Moves one setting between the style and its control.
    struct Binding
    {
        std::function<void(const BatchStyle &)> show;
        std::function<void(BatchStyle &)> store;
    };

    QWidget *buildPresets();
    QWidget *buildSettings();
    QWidget *buildPreview();
    QSpinBox *addSpin(QFormLayout *form, const QString &label, const char *field, int QrStyleRecord::*member, int low,
                      int high, const QString &suffix);
    void addColour(QFormLayout *form, const QString &label, const char *field, QColor QrStyleRecord::*member);
    QComboBox *addChoice(QFormLayout *form, const QString &label, const char *field, int QrStyleRecord::*member,
                         const QStringList &texts, const QVector<QIcon> &icons = {});
    QComboBox *addTextChoice(QFormLayout *form, const QString &label, const char *field,
                             QString QrStyleRecord::*member, const QStringList &texts, const QStringList &values);
    QCheckBox *addCheck(QFormLayout *form, const QString &label, const char *field, int QrStyleRecord::*member);
    void addPicture(QFormLayout *form, const QString &label, const char *field, QString QrStyleRecord::*member);

    void showStyle(const BatchStyle &style, const QString &styleName);
    void changed();
    void loadFile();
    void saveFile();
    void showPreview(const QImage &picture, const QString &problem);

    // The fields without a control keep the values of the style last shown.
    BatchStyle shown;
    QString name;
    QString csvPath;
    QString sheet;
    // The settings last previewed.
    QJsonObject requested;
    QVector<Binding> bindings;
    bool filling = false;
    QListWidget *presetList = nullptr;
    QSpinBox *marginSpin = nullptr;
    QLabel *nameLabel = nullptr;
    QLabel *previewLabel = nullptr;
    QLabel *checkLabel = nullptr;
    StylePreview preview;
};
