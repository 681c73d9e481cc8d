#pragma once

#include "app/run_rate.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class FailureTable;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QWidget;

// The start and stop buttons of a work page, the widgets that show one run's
// worker reports, and the buttons that lead to the run's results. Knows whether a
// run is going; the page owns the run itself.
class ReportView : public QObject
{
    Q_OBJECT

public:
    // Builds the rows from 2 on into the form's grid; the start button gets the given object name.
    // The table of failed items heads its first column with itemHeading.
    ReportView(QGridLayout *grid, const QString &startButtonName, const QString &itemHeading = QStringLiteral("名称"));

    bool isRunning() const { return running; }
    // A new run writing into the save folder: labels emptied, start disabled, stop offered.
    void startRun(const QString &saveFolder);
    // Fields and choosers that stay as they are while a run goes: read-only or disabled.
    void lockWhileRunning(const QList<QWidget *> &inputs);
    // Shows one worker report; unknown kinds are ignored.
    void show(const QString &type, const QString &message);

    QPushButton *startButton;
    QPushButton *stopButton;
    QPushButton *openFolderButton;
    QPushButton *openLogButton;
    QLabel *resultLabel;
    QLabel *runtimeLabel;
    QLabel *progressLabel;
    QProgressBar *progressBar;
    QLabel *rateLabel;
    FailureTable *failureTable;

public slots:
    // Asks the run to stop after the items in hand; its "stopped" report ends it.
    void requestStop();

signals:
    void stopRequested();
    void runStarted();
    // After the last report of a run: success, warning or stopped.
    void runEnded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void endRun(bool withResults);
    void openResult(const QString &path);
    void setInputsLocked(bool locked);
    void showProgress();
    void showCount(const QString &message);

    QScrollArea *progressArea;
    QList<QWidget *> lockedInputs;
    bool running = false;
    QString saveFolder;
    QString progressText;
    QElapsedTimer runTimer;
    RunRate rate;
    qint64 rateShownMs = -1000;
    int lastDone = 0;
};
