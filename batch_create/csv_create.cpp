#include "batch_create/csv_create.h"

#include "app/message_box.h"
#include "app/worker_thread.h"
#include "batch_create/batch_create.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

CsvCreate::CsvCreate(QWidget *parent)
    : QWidget(parent)
{
    headerFrame = new QFrame(this);
    headerFrame->setFixedHeight(56);
    headerFrame->setStyleSheet(QStringLiteral("QFrame{border-color:rgb(225,225,225);border-width: 0 0 1 0;border-style: solid}"));
    auto *title = new QLabel(QStringLiteral("批量生成二维码"), headerFrame);
    title->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:20px}"));
    title->setFixedWidth(150);
    auto *description = new QLabel(QStringLiteral("使用CSV文件进行批量生成二维码"), headerFrame);
    description->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:12px;color:#5c5c5c;margin-top:8px}"));
    auto *headerLayout = new QHBoxLayout(headerFrame);
    headerLayout->addWidget(title);
    headerLayout->addWidget(description);
    headerLayout->addStretch();
    headerLayout->setSpacing(0);

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
    gridLayout = new QGridLayout(contentFrame);
    gridLayout->setSpacing(10);
    gridLayout->setRowStretch(20, 20);

    csvPathEdit = new QLineEdit(contentFrame);
    csvPathEdit->setPlaceholderText(QStringLiteral("请选择csv数据文件"));
    auto *selectFileBtn = new QToolButton(contentFrame);
    selectFileBtn->setText(QStringLiteral("选择文件.."));
    gridLayout->addWidget(new QLabel(QStringLiteral("选择CSV文件："), contentFrame), 0, 0);
    gridLayout->addWidget(csvPathEdit, 0, 1);
    gridLayout->addWidget(selectFileBtn, 0, 2);

    savePathEdit = new QLineEdit(contentFrame);
    savePathEdit->setPlaceholderText(QStringLiteral("请选择生成的二维码保存位置"));
    auto *selectPathBtn = new QToolButton(contentFrame);
    selectPathBtn->setText(QStringLiteral("选择目录.."));
    gridLayout->addWidget(new QLabel(QStringLiteral("保存到："), contentFrame), 1, 0);
    gridLayout->addWidget(savePathEdit, 1, 1);
    gridLayout->addWidget(selectPathBtn, 1, 2);

    csvCreateBtn = new QPushButton(QStringLiteral("确定生成"), contentFrame);
    csvCreateBtn->setStyleSheet(QStringLiteral("width:150px"));
    resultLabel = new QLabel(contentFrame);
    runtimeLabel = new QLabel(contentFrame);
    progressLabel = new QLabel(contentFrame);
    progressBar = new QProgressBar(contentFrame);
    progressBar->setValue(0);
    gridLayout->addWidget(csvCreateBtn, 2, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(resultLabel, 3, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(runtimeLabel, 4, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(progressLabel, 5, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(progressBar, 6, 0, 1, 3);
    reportView = ReportView{csvCreateBtn, resultLabel, runtimeLabel, progressLabel, progressBar};

    connect(selectFileBtn, &QToolButton::clicked, this, &CsvCreate::on_selectFileBtn_clicked);
    connect(selectPathBtn, &QToolButton::clicked, this, &CsvCreate::on_selectPathBtn_clicked);
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
    const QString path = QFileDialog::getExistingDirectory(this, tr("二维码保存到.."), QString(),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!path.isEmpty())
        savePathEdit->setText(path);
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
    runThread = moveToWorkerThread(worker);
    // A thread stopped before the run began still takes its worker with it.
    connect(runThread, &QThread::finished, worker, &QObject::deleteLater);
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
