#include "batch_create/csv_create.h"

#include "app/message_box.h"
#include "app/page_form.h"
#include "app/worker_thread.h"
#include "batch_create/batch_create.h"
#include "batch_create/style_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

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
}

CsvCreate::~CsvCreate()
{
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
    reportView = addReportRows(gridLayout, QStringLiteral("csvCreateBtn"));
    csvCreateBtn = reportView.startButton;
    resultLabel = reportView.resultLabel;
    runtimeLabel = reportView.runtimeLabel;
    progressLabel = reportView.progressLabel;
    progressBar = reportView.progressBar;

    connect(csvRow.chooser, &QToolButton::clicked, this, &CsvCreate::on_selectFileBtn_clicked);
    connect(saveRow.chooser, &QToolButton::clicked, this, &CsvCreate::on_selectPathBtn_clicked);
    connect(csvCreateBtn, &QPushButton::clicked, this, &CsvCreate::on_csvCreateBtn_clicked);
}

void CsvCreate::on_selectFileBtn_clicked()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("CSV数据包文件"), QString(), tr("CSV Files(*.csv)"));
    if (!path.isEmpty())
        csvPathEdit->setText(path);
}

void CsvCreate::on_selectPathBtn_clicked()
{
    chooseFolderInto(this, tr("二维码保存到.."), savePathEdit);
}

void CsvCreate::on_csvCreateBtn_clicked()
{
    const QString csv = csvPathEdit->text();
    const QString save = savePathEdit->text();
    if (csv.isEmpty()) {
        showMessageBox(QStringLiteral("请选择csv文件"));
        return;
    }
    if (save.isEmpty()) {
        showMessageBox(QStringLiteral("请选择二维码保存位置"));
        return;
    }
    if (!QDir(save).exists() && !QDir().mkpath(save)) {
        showMessageBox(QStringLiteral("保存文件夹不存在并且创建失败"));
        return;
    }
    reportView.clearForRun();

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
    emit new_create_started(csvPathEdit->text(), savePathEdit->text(), QStringLiteral("qrcustom"));
    // The next run's worker must be the only one this signal ever reaches.
    disconnect(this, &CsvCreate::new_create_started, nullptr, nullptr);
}

void CsvCreate::slot_create_thread_viewer(QString type, QString message)
{
    reportView.show(type, message);
}
