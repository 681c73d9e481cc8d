#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class ReportView;

// The batch decoding page: a picture folder and a save folder in, one run of the
// decoding worker on a thread of its own, its reports shown.
class JieMa : public QWidget
{
    Q_OBJECT

public:
    // The fields show the paths of the last run.
    explicit JieMa(QWidget *parent = nullptr);
    // Keeps the paths for the next start; asks a running worker to stop after its
    // current picture and waits for it.
    ~JieMa() override;

signals:
    void new_jiema_started(QString csv_path, QString save_path, QString style_type);

public slots:
    void on_selectFileBtn_clicked();
    void on_selectPathBtn_clicked();
    void on_jieMaBtn_clicked();
    void slot_jiema_thread_started();
    void slot_jiema_thread_viewer(QString type, QString message);

private:
    void buildForm();
    void rememberPaths() const;

    QFrame *headerFrame;
    QFrame *contentFrame;
    QLineEdit *jiemaPathEdit;
    QLineEdit *savePathEdit;
    QCheckBox *allFormatsCheck;
    QGridLayout *gridLayout;
    QPushButton *jieMaBtn;
    QLabel *resultLabel;
    QLabel *runtimeLabel;
    QLabel *progressLabel;
    QProgressBar *progressBar;
    ReportView *reportView;
    QPointer<QThread> workerThread;
};
