#include "app/report_view.h"

#include "app/failure_table.h"
#include "app/message_box.h"
#include "common/elapsed_text.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QUrl>

namespace {

QPushButton *makeButton(const QString &text, const QString &name, QWidget *parent, QLayout *row)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    row->addWidget(button);
    return button;
}

QLabel *makeLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    // Report texts can be selected and copied.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    return label;
}

// The list of written files may be long: beyond this many lines it scrolls.
const int progressLinesShown = 12;
const int progressLinesSqueezed = 3;

} // namespace

ReportView::ReportView(QGridLayout *grid, const QString &startButtonName, const QString &itemHeading)
    : QObject(grid->parentWidget())
{
    QWidget *form = grid->parentWidget();

    auto *buttonRow = new QWidget(form);
    auto *buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(10);
    startButton = makeButton(QStringLiteral("确定生成"), startButtonName, buttonRow, buttons);
    startButton->setStyleSheet(QStringLiteral("width:150px"));
    stopButton = makeButton(QStringLiteral("停止"), QStringLiteral("stopBtn"), buttonRow, buttons);
    openFolderButton = makeButton(QStringLiteral("打开保存文件夹"), QStringLiteral("openFolderBtn"), buttonRow, buttons);
    openLogButton = makeButton(QStringLiteral("查看错误日志"), QStringLiteral("openLogBtn"), buttonRow, buttons);
    for (QPushButton *button : {stopButton, openFolderButton, openLogButton})
        button->hide();

    resultLabel = makeLabel(QStringLiteral("resultLabel"), form);
    runtimeLabel = makeLabel(QStringLiteral("runtimeLabel"), form);
    progressLabel = makeLabel(QStringLiteral("progressLabel"), nullptr);
    progressLabel->setAlignment(Qt::AlignCenter);
    // Progress reports are rich text, also when they hold no tag.
    progressLabel->setTextFormat(Qt::RichText);
    progressArea = new QScrollArea(form);
    progressArea->setFrameShape(QFrame::NoFrame);
    progressArea->setWidgetResizable(true);
    progressArea->setWidget(progressLabel);
    progressArea->setStyleSheet(QStringLiteral("QScrollArea,QScrollArea QLabel{background:transparent;}"));
    progressArea->viewport()->installEventFilter(this);
    progressArea->hide();

    auto *progressRow = new QWidget(form);
    auto *progressLayout = new QHBoxLayout(progressRow);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressBar = new QProgressBar(progressRow);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setFormat(QStringLiteral("%v / %m"));
    progressBar->reset();
    rateLabel = new QLabel(progressRow);
    rateLabel->setObjectName(QStringLiteral("rateLabel"));
    // Room for a long estimate, so that the bar does not jump as the text changes.
    rateLabel->setMinimumWidth(rateLabel->fontMetrics().horizontalAdvance(QStringLiteral("速度 99.9 个/秒 · 预计剩余 59 分 59 秒")));
    progressLayout->addWidget(progressBar, 1);
    progressLayout->addWidget(rateLabel);
    // An empty bar says nothing before the first run.
    progressRow->hide();

    // Below the rows the page has filled.
    const int first = grid->rowCount();
    grid->addWidget(buttonRow, first, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(resultLabel, first + 1, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(runtimeLabel, first + 2, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(progressArea, first + 3, 0, 1, 3);
    grid->addWidget(progressRow, first + 4, 0, 1, 3);
    failureTable = new FailureTable(itemHeading, form);
    grid->addWidget(failureTable, first + 5, 0, 1, 3);

    connect(stopButton, &QPushButton::clicked, this, &ReportView::requestStop);
    connect(openFolderButton, &QPushButton::clicked, this, [this] { openResult(saveFolder); });
    connect(openLogButton, &QPushButton::clicked, this, [this] { openResult(saveFolder + QStringLiteral("/error_log.txt")); });
    // A link in a report names a file the run wrote into its save folder.
    connect(progressLabel, &QLabel::linkActivated, this,
            [this](const QString &name) { openResult(saveFolder + QLatin1Char('/') + name); });
}

void ReportView::startRun(const QString &folder)
{
    running = true;
    saveFolder = QFileInfo(folder).absoluteFilePath();
    startButton->setEnabled(false);
    stopButton->setEnabled(true);
    stopButton->show();
    openFolderButton->hide();
    openLogButton->hide();
    resultLabel->clear();
    runtimeLabel->clear();
    progressText.clear();
    showProgress();
    failureTable->clearFailures();
    // A busy bar until the first count, while the worker lists its items.
    progressBar->setRange(0, 0);
    progressBar->reset();
    progressBar->parentWidget()->show();
    rateLabel->clear();
    rate.reset();
    rateShownMs = -1000;
    lastDone = 0;
    runTimer.start();
    setInputsLocked(true);
    emit runStarted();
}

void ReportView::lockWhileRunning(const QList<QWidget *> &inputs)
{
    lockedInputs = inputs;
}

void ReportView::setInputsLocked(bool locked)
{
    for (QWidget *input : lockedInputs) {
        if (auto *field = qobject_cast<QLineEdit *>(input))
            field->setReadOnly(locked);
        else
            input->setEnabled(!locked);
    }
}

void ReportView::show(const QString &type, const QString &message)
{
    if (type == QLatin1String("warning")) {
        endRun(false);
        showMessageBox(message);
    } else if (type == QLatin1String("progress")) {
        progressText = message;
        showProgress();
    } else if (type == QLatin1String("success") || type == QLatin1String("stopped")) {
        resultLabel->setText(message);
        if (type == QLatin1String("stopped")) {
            // No file is in hand any more; the time is shown as for a finished run.
            progressText.clear();
            showProgress();
            runtimeLabel->setText(elapsedText(runTimer.elapsed()));
        }
        endRun(true);
    } else if (type == QLatin1String("runtime")) {
        runtimeLabel->setText(message);
    } else if (type == QLatin1String("notice")) {
        showMessageBox(message);
    } else if (type == QLatin1String("count")) {
        showCount(message);
    } else if (type == QLatin1String("failed")) {
        failureTable->addFailure(message);
    }
}

void ReportView::requestStop()
{
    if (!running)
        return;
    stopButton->setEnabled(false);
    emit stopRequested();
}

bool ReportView::eventFilter(QObject *, QEvent *event)
{
    // The elided progress line follows the width of the page.
    if (event->type() == QEvent::Resize)
        showProgress();
    return false;
}

void ReportView::endRun(bool withResults)
{
    running = false;
    setInputsLocked(false);
    failureTable->showFailures();
    startButton->setEnabled(true);
    stopButton->hide();
    openFolderButton->setVisible(withResults);
    openLogButton->setVisible(withResults && QFileInfo::exists(saveFolder + QStringLiteral("/error_log.txt")));
    if (progressBar->maximum() == 0) {
        // No item was counted: there is nothing to show in the bar.
        progressBar->setRange(0, 1);
        progressBar->parentWidget()->hide();
    }
    if (!rateLabel->text().isEmpty())
        rateLabel->setText(rate.update(lastDone, lastDone, runTimer.elapsed()));
    emit runEnded();
}

void ReportView::openResult(const QString &path)
{
    // Without a desktop that opens files, the path can at least be copied.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        showPathMessage(QStringLiteral("无法打开，请在文件管理器中打开："), path);
}

void ReportView::showProgress()
{
    // A long one-line report (a file name deep in folders) keeps its start and its
    // end; the lines of a final report are shown whole and scroll.
    const QString plain = QTextDocumentFragment::fromHtml(progressText).toPlainText();
    const QFontMetrics metrics(progressLabel->font());
    const int room = progressArea->viewport()->width() - 2 * metrics.averageCharWidth();
    if (!plain.contains(QLatin1Char('\n')) && metrics.horizontalAdvance(plain) > room) {
        progressLabel->setTextFormat(Qt::PlainText);
        progressLabel->setText(metrics.elidedText(plain, Qt::ElideMiddle, room));
    } else {
        progressLabel->setTextFormat(Qt::RichText);
        progressLabel->setText(progressText);
    }
    progressArea->setVisible(!progressText.isEmpty());
    const bool tooWide = progressLabel->minimumSizeHint().width() > progressArea->viewport()->width();
    const int bar = tooWide ? progressArea->horizontalScrollBar()->sizeHint().height() : 0;
    const int wanted = qMin(progressLabel->sizeHint().height(), progressLinesShown * metrics.lineSpacing());
    // A window too low for the whole list scrolls it rather than drawing it over the bar.
    progressArea->setMinimumHeight(qMin(wanted, progressLinesSqueezed * metrics.lineSpacing()) + bar);
    progressArea->setMaximumHeight(wanted + bar);
}

void ReportView::showCount(const QString &message)
{
    const int slash = message.indexOf(QLatin1Char('/'));
    bool doneOk = false;
    bool totalOk = false;
    const int done = message.left(slash).toInt(&doneOk);
    const int total = message.mid(slash + 1).toInt(&totalOk);
    if (slash <= 0 || !doneOk || !totalOk)
        return;
    progressBar->setRange(0, total);
    progressBar->setValue(done);
    lastDone = done;
    // The estimate changes a few times a second at most, so that it can be read.
    const qint64 now = runTimer.elapsed();
    const QString rateText = rate.update(done, total, now);
    if (done == total || now - rateShownMs >= 500) {
        rateLabel->setText(rateText);
        rateShownMs = now;
    }
}
