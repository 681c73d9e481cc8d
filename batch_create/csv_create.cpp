#include "batch_create/csv_create.h"

#include "app/message_box.h"
#include "app/page_form.h"
#include "app/path_drop.h"
#include "app/report_view.h"
#include "app/worker_thread.h"
#include "batch_create/batch_create.h"
#include "batch_create/style_chooser.h"
#include "common/report_text.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString csvPathKey = QStringLiteral("paths/csvFile");
const QString savePathKey = QStringLiteral("paths/codesFolder");

} // namespace

CsvCreate::CsvCreate(QWidget *parent)
    : QWidget(parent)
{
    headerFrame = buildPageHeader(this, QStringLiteral("批量生成二维码"), 150, QStringLiteral("使用CSV文件进行批量生成二维码"));
    buildForm();

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(headerFrame);
    pageLayout->addWidget(contentFrame);
    pageLayout->addStretch();
    pageLayout->setSpacing(0);

    const QSettings settings;
    csvPathEdit->setText(settings.value(csvPathKey).toString());
    savePathEdit->setText(settings.value(savePathKey).toString());
    // Dropped anywhere on the page, a file is the CSV file and a folder the save folder.
    new PathDrop(this, csvPathEdit, savePathEdit);
    new PathDrop(csvPathEdit, csvPathEdit, nullptr);
    new PathDrop(savePathEdit, nullptr, savePathEdit);
}

CsvCreate::~CsvCreate()
{
    rememberPaths();
    stopWorkerThread(runThread);
}

void CsvCreate::buildForm()
{
    contentFrame = new QFrame(this);
    contentFrame->setObjectName(QStringLiteral("CsvCreateFrame"));
    gridLayout = buildFormGrid(contentFrame);
    const PathRow csvRow = addPathRow(gridLayout, 0, QStringLiteral("选择CSV文件："), QStringLiteral("请选择csv数据文件"),
                                      QStringLiteral("csvPathEdit"), QStringLiteral("选择文件.."), QStringLiteral("selectFileBtn"));
    const PathRow saveRow = addPathRow(gridLayout, 1, QStringLiteral("保存到："), QStringLiteral("请选择生成的二维码保存位置"),
                                       QStringLiteral("savePathEdit"), QStringLiteral("选择目录.."), QStringLiteral("selectPathBtn"));
    csvPathEdit = csvRow.edit;
    savePathEdit = saveRow.edit;
    styleChooser = new StyleChooser(csvPathEdit, contentFrame);
    gridLayout->addWidget(styleChooser, 0, 3, 2, 1);
    reportView = new ReportView(gridLayout, QStringLiteral("csvCreateBtn"));
    csvCreateBtn = reportView->startButton;
    resultLabel = reportView->resultLabel;
    runtimeLabel = reportView->runtimeLabel;
    progressLabel = reportView->progressLabel;
    progressBar = reportView->progressBar;
    reportView->lockWhileRunning({csvPathEdit, savePathEdit, csvRow.chooser, saveRow.chooser, styleChooser});
    startOnEnter(csvPathEdit, csvCreateBtn);
    startOnEnter(savePathEdit, csvCreateBtn);

    connect(csvRow.chooser, &QToolButton::clicked, this, &CsvCreate::on_selectFileBtn_clicked);
    connect(saveRow.chooser, &QToolButton::clicked, this, &CsvCreate::on_selectPathBtn_clicked);
    connect(csvCreateBtn, &QPushButton::clicked, this, &CsvCreate::on_csvCreateBtn_clicked);
    connect(reportView, &ReportView::stopRequested, this, [this] {
        if (runThread)
            runThread->requestInterruption();
    });
}

void CsvCreate::rememberPaths() const
{
    QSettings settings;
    settings.setValue(csvPathKey, csvPathEdit->text().trimmed());
    settings.setValue(savePathKey, savePathEdit->text().trimmed());
}

void CsvCreate::on_selectFileBtn_clicked()
{
    chooseFileInto(this, QStringLiteral("选择CSV文件"), QStringLiteral("CSV文件 (*.csv)"), csvPathEdit);
}

void CsvCreate::on_selectPathBtn_clicked()
{
    chooseFolderInto(this, tr("二维码保存到.."), savePathEdit);
}

void CsvCreate::on_csvCreateBtn_clicked()
{
    const QString csv = trimmedPath(csvPathEdit);
    const QString save = trimmedPath(savePathEdit);
    if (csv.isEmpty()) {
        showMessageBox(QStringLiteral("请选择csv文件"));
        return;
    }
    if (save.isEmpty()) {
        showMessageBox(QStringLiteral("请选择二维码保存位置"));
        return;
    }
    // The worker makes the save folder once it has accepted the inputs, so that a
    // mistyped path or a file that is no CSV leaves nothing behind.
    if (!QFileInfo(csv).isFile() || !QFileInfo(csv).isReadable()) {
        showPathMessage(QStringLiteral("无法读取CSV文件："), csv);
        return;
    }
    rememberPaths();
    reportView->startRun(save);

    auto *worker = new BatchCreate;
    worker->setStyle(styleChooser->style());
    runThread = moveToWorkerThread(worker);
    connect(runThread, &QThread::started, this, &CsvCreate::slot_create_thread_started);
    connect(this, &CsvCreate::new_create_started, worker, &BatchCreate::batchStart);
    connect(worker, &BatchCreate::returnResult, this, &CsvCreate::slot_create_thread_viewer);
    runThread->start();
}

void CsvCreate::slot_create_thread_started()
{
    emit new_create_started(trimmedPath(csvPathEdit), trimmedPath(savePathEdit), QStringLiteral("qrcustom"));
    // The next run's worker must be the only one this signal ever reaches.
    disconnect(this, &CsvCreate::new_create_started, nullptr, nullptr);
}

void CsvCreate::slot_create_thread_viewer(QString type, QString message)
{
    reportView->show(type, message);
}
