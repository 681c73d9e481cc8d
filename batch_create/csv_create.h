#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class ReportView;
class SheetList;
class StyleChooser;

// The batch generation page: a CSV file and a save folder in, one worker run at a
// time, its reports shown below the form.
class CsvCreate : public QWidget
{
    Q_OBJECT

public:
    // The fields show the paths of the last run.
    explicit CsvCreate(QWidget *parent = nullptr);
    // Keeps the paths for the next start; stops a running batch after its current
    // row and waits for it.
    ~CsvCreate() override;

signals:
    void new_create_started(QString csv_path, QString save_path, QString style_type);

public slots:
    void on_selectFileBtn_clicked();
    void on_selectPathBtn_clicked();
    void on_csvCreateBtn_clicked();
    void slot_create_thread_started();
    void slot_create_thread_viewer(QString type, QString message);

private:
    void buildForm();
    // The rows of output format and label sheet, with the sheet's first-page preview.
    void buildOutputRows();
    // Renders the preview off this thread; the latest request wins.
    void refreshSheetPreview();
    // Runs the label-sheet worker: one PDF file of the rows of the sheet in the save folder.
    void startSheet(const QString &csv, const QString &sheet, const QString &save);
    void rememberPaths() const;
    // Asks whether pictures already in the save folder are replaced or kept; false when cancelled.
    bool askAboutExisting(const QString &csv, const QString &sheet, const QString &save, bool *skip);

    QFrame *headerFrame;
    QFrame *contentFrame;
    QLineEdit *csvPathEdit;
    // The workbook's sheets, shown only while a workbook is chosen.
    SheetList *sheetBox;
    QLineEdit *savePathEdit;
    QGridLayout *gridLayout;
    QPushButton *csvCreateBtn;
    QLabel *resultLabel;
    QLabel *runtimeLabel;
    QLabel *progressLabel;
    QProgressBar *progressBar;
    StyleChooser *styleChooser;
    ReportView *reportView;
    QPointer<QThread> runThread;
    QComboBox *formatChoice;
    QCheckBox *sheetCheck;
    QComboBox *sheetLayoutChoice;
    QLabel *sheetPreviewLabel;
    int previewRequest = 0;
};
