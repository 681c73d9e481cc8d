#pragma once

#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// The widgets of a work page that show one run's worker reports.
struct ReportView
{
    QPushButton *startButton;
    QLabel *resultLabel;
    QLabel *runtimeLabel;
    QLabel *progressLabel;
    QProgressBar *progressBar;

    // Empties the labels and the bar and disables the start button for a new run.
    void clearForRun() const;
    // Shows one worker report; unknown kinds are ignored.
    void show(const QString &type, const QString &message) const;
};
