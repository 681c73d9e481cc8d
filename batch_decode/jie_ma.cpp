#include "batch_decode/jie_ma.h"

#include "app/message_box.h"
#include "app/worker_thread.h"
#include "batch_decode/batch_jiema.h"

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

JieMa::JieMa(QWidget *parent)
    : QWidget(parent)
{
    buildHeader();
    buildForm();
    reportView = ReportView{jieMaBtn, resultLabel, runtimeLabel, progressLabel, progressBar};

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(headerFrame);
    pageLayout->addWidget(contentFrame);
    pageLayout->addStretch(0);
    pageLayout->setSpacing(0);
}

JieMa::~JieMa()
{
    stopWorkerThread(workerThread);
}

void JieMa::buildHeader()
{
    headerFrame = new QFrame(this);
    headerFrame->setFixedHeight(56);
    headerFrame->setStyleSheet(QStringLiteral("QFrame{border-color:rgb(225,225,225);border-width: 0 0 1 0;border-style: solid}"));
    auto *title = new QLabel(QStringLiteral("批量二维码解码器"), headerFrame);
    title->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:20px}"));
    title->setFixedWidth(170);
    auto *subtitle = new QLabel(QStringLiteral("选择一个文件夹进行批量二维码解码"), headerFrame);
    subtitle->setStyleSheet(QStringLiteral("QLabel{border:none;font-size:12px;color:#5c5c5c;margin-top:8px}"));
    auto *headerLayout = new QHBoxLayout(headerFrame);
    headerLayout->addWidget(title);
    headerLayout->addWidget(subtitle);
    headerLayout->addStretch(0);
    headerLayout->setSpacing(0);
}

void JieMa::buildForm()
{
    contentFrame = new QFrame(this);
    contentFrame->setObjectName(QStringLiteral("JieMaFrame"));
    gridLayout = new QGridLayout(contentFrame);
    gridLayout->setSpacing(10);
    gridLayout->setRowStretch(20, 20);

    jiemaPathEdit = new QLineEdit(contentFrame);
    jiemaPathEdit->setObjectName(QStringLiteral("jiemaPathEdit"));
    jiemaPathEdit->setPlaceholderText(QStringLiteral("请选择二维码图片文件夹"));
    auto *selectFileBtn = new QToolButton(contentFrame);
    selectFileBtn->setObjectName(QStringLiteral("selectFileBtn"));
    selectFileBtn->setText(QStringLiteral("选择目录.."));
    gridLayout->addWidget(new QLabel(QStringLiteral("二维码图片："), contentFrame), 0, 0);
    gridLayout->addWidget(jiemaPathEdit, 0, 1);
    gridLayout->addWidget(selectFileBtn, 0, 2);

    savePathEdit = new QLineEdit(contentFrame);
    savePathEdit->setObjectName(QStringLiteral("savePathEdit"));
    savePathEdit->setPlaceholderText(QStringLiteral("请选择解码内容保存位置"));
    auto *selectPathBtn = new QToolButton(contentFrame);
    selectPathBtn->setObjectName(QStringLiteral("selectPathBtn"));
    selectPathBtn->setText(QStringLiteral("选择目录.."));
    gridLayout->addWidget(new QLabel(QStringLiteral("内容保存到："), contentFrame), 1, 0);
    gridLayout->addWidget(savePathEdit, 1, 1);
    gridLayout->addWidget(selectPathBtn, 1, 2);

    jieMaBtn = new QPushButton(QStringLiteral("确定生成"), contentFrame);
    jieMaBtn->setObjectName(QStringLiteral("jieMaBtn"));
    jieMaBtn->setStyleSheet(QStringLiteral("width:150px"));
    resultLabel = new QLabel(contentFrame);
    resultLabel->setObjectName(QStringLiteral("resultLabel"));
    runtimeLabel = new QLabel(contentFrame);
    runtimeLabel->setObjectName(QStringLiteral("runtimeLabel"));
    progressLabel = new QLabel(contentFrame);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    progressBar = new QProgressBar(contentFrame);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->reset();
    gridLayout->addWidget(jieMaBtn, 2, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(resultLabel, 3, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(runtimeLabel, 4, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(progressLabel, 5, 0, 1, 3, Qt::AlignCenter);
    gridLayout->addWidget(progressBar, 6, 0, 1, 3);

    connect(selectFileBtn, &QToolButton::clicked, this, &JieMa::on_selectFileBtn_clicked);
    connect(selectPathBtn, &QToolButton::clicked, this, &JieMa::on_selectPathBtn_clicked);
    connect(jieMaBtn, &QPushButton::clicked, this, &JieMa::on_jieMaBtn_clicked);
}

void JieMa::on_selectFileBtn_clicked()
{
    const QString path = QFileDialog::getExistingDirectory(this, tr("二维码图片文件夹.."), QString(),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!path.isEmpty())
        jiemaPathEdit->setText(path);
}

void JieMa::on_selectPathBtn_clicked()
{
    const QString path = QFileDialog::getExistingDirectory(this, tr("解码内容保存到.."), QString(),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!path.isEmpty())
        savePathEdit->setText(path);
}

void JieMa::on_jieMaBtn_clicked()
{
    const QString jiemaPath = jiemaPathEdit->text();
    const QString savePath = savePathEdit->text();
    if (jiemaPath.isEmpty()) {
        showMessageBox(QStringLiteral("请选择二维码图片文件夹"));
        return;
    }
    if (savePath.isEmpty()) {
        showMessageBox(QStringLiteral("请选择解码内容保存位置"));
        return;
    }
    if (!QDir(jiemaPath).exists()) {
        showMessageBox(QStringLiteral("二维码图片文件夹不存在"));
        return;
    }
    if (!QDir(savePath).exists() && !QDir().mkpath(savePath)) {
        showMessageBox(QStringLiteral("保存文件夹不存在并且创建失败"));
        return;
    }
    reportView.clearForRun();

    auto *worker = new BatchJiema;
    QThread *thread = moveToWorkerThread(worker);
    // A worker that never got its start signal (page closed at once) still goes.
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    // Only the new worker may receive the start signal.
    disconnect(this, &JieMa::new_jiema_started, nullptr, nullptr);
    connect(thread, &QThread::started, this, &JieMa::slot_jiema_thread_started);
    connect(this, &JieMa::new_jiema_started, worker, &BatchJiema::batchStart);
    connect(worker, &BatchJiema::returnResult, this, &JieMa::slot_jiema_thread_viewer);
    workerThread = thread;
    thread->start();
}

void JieMa::slot_jiema_thread_started()
{
    emit new_jiema_started(jiemaPathEdit->text(), savePathEdit->text(), QStringLiteral("default"));
}

void JieMa::slot_jiema_thread_viewer(QString type, QString message)
{
    reportView.show(type, message);
}
