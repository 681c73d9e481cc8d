#include "app/report_view.h"

#include "app/message_box.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

void ReportView::clearForRun() const
{
    startButton->setEnabled(false);
    resultLabel->setText(QString());
    runtimeLabel->setText(QString());
    progressLabel->setText(QString());
    progressBar->reset();
    progressBar->show();
}

void ReportView::show(const QString &type, const QString &message) const
{
    if (type == QLatin1String("warning")) {
        // The run has ended, so the user may start another once the box is read.
        startButton->setEnabled(true);
        showMessageBox(message);
    } else if (type == QLatin1String("progress")) {
        progressLabel->setText(message);
    } else if (type == QLatin1String("success") || type == QLatin1String("stopped")) {
        startButton->setEnabled(true);
        resultLabel->setText(message);
    } else if (type == QLatin1String("runtime")) {
        runtimeLabel->setText(message);
    } else if (type == QLatin1String("notice")) {
        showMessageBox(message);
    } else if (type == QLatin1String("count")) {
        const int slash = message.indexOf(QLatin1Char('/'));
        bool doneOk = false;
        bool totalOk = false;
        const int done = message.left(slash).toInt(&doneOk);
        const int total = message.mid(slash + 1).toInt(&totalOk);
        if (slash > 0 && doneOk && totalOk) {
            progressBar->setRange(0, total);
            progressBar->setValue(done);
        }
    }
}
