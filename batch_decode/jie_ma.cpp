#include "batch_decode/jie_ma.h"

#include "app/message_box.h"
#include "app/page_form.h"
#include "app/path_drop.h"
#include "app/report_view.h"
#include "app/worker_thread.h"
#include "batch_decode/batch_jiema.h"
#include "batch_decode/detector_models.h"

#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString picturePathKey = QStringLiteral("paths/pictureFolder");
const QString savePathKey = QStringLiteral("paths/decodedFolder");
const QString allFormatsKey = QStringLiteral("decode/allFormats");
const QString workbookKey = QStringLiteral("decode/workbook");

// The CSV names of the final report become links that open the files; not
// underlined, because a line would hide the underscores of the names.
QString withCsvLinks(const QString &message)
{
    static const QRegularExpression csvName(QStringLiteral("<div style='color:blue'>([^<]*)</div>"));
    QString linked = message;
    return linked.replace(csvName, QStringLiteral("<div><a href=\"\\1\" style='color:blue;text-decoration:none'>\\1</a></div>"));
}

// The notice of missing detector models comes once per start of the program.
bool modelNoticeShown = false;

QString modelNotice(const QStringList &folders)
{
    QString text = QStringLiteral("<p>未找到二维码识别模型文件，已查找这些文件夹：</p><p>");
    for (const QString &folder : folders)
        text += folder.toHtmlEscaped() + QStringLiteral("<br>");
    // Short lines of their own, so that no single character wraps.
    return text + QStringLiteral("</p><p>将只用 ZXing-C++ 引擎继续解码，<br>小图或模糊的二维码可能无法识别。</p>");
}

} // namespace

JieMa::JieMa(QWidget *parent)
    : QWidget(parent)
{
    headerFrame = buildPageHeader(this, QStringLiteral("批量二维码解码器"), 170, QStringLiteral("选择一个文件夹进行批量二维码解码"));
    buildForm();

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(headerFrame);
    pageLayout->addWidget(contentFrame);
    pageLayout->addStretch(0);
    pageLayout->setSpacing(0);

    const QSettings settings;
    jiemaPathEdit->setText(settings.value(picturePathKey).toString());
    savePathEdit->setText(settings.value(savePathKey).toString());
    allFormatsCheck->setChecked(settings.value(allFormatsKey, false).toBool());
    workbookCheck->setChecked(settings.value(workbookKey, false).toBool());
    // Dropped anywhere on the page, a folder is the picture folder.
    new PathDrop(this, nullptr, jiemaPathEdit);
    new PathDrop(jiemaPathEdit, nullptr, jiemaPathEdit);
    new PathDrop(savePathEdit, nullptr, savePathEdit);
}

JieMa::~JieMa()
{
    rememberPaths();
    stopWorkerThread(workerThread);
}

void JieMa::buildForm()
{
    contentFrame = new QFrame(this);
    contentFrame->setObjectName(QStringLiteral("JieMaFrame"));
    gridLayout = buildFormGrid(contentFrame);
    const PathRow pictureRow = addPathRow(gridLayout, 0, QStringLiteral("二维码图片："), QStringLiteral("请选择二维码图片文件夹"),
                                          QStringLiteral("jiemaPathEdit"), QStringLiteral("选择目录.."), QStringLiteral("selectFileBtn"));
    const PathRow saveRow = addPathRow(gridLayout, 1, QStringLiteral("内容保存到："), QStringLiteral("请选择解码内容保存位置"),
                                       QStringLiteral("savePathEdit"), QStringLiteral("选择目录.."), QStringLiteral("selectPathBtn"));
    jiemaPathEdit = pictureRow.edit;
    savePathEdit = saveRow.edit;
    allFormatsCheck = new QCheckBox(QStringLiteral("识别所有条码格式"), contentFrame);
    allFormatsCheck->setObjectName(QStringLiteral("allFormatsCheck"));
    allFormatsCheck->setToolTip(QStringLiteral("除二维码外，也识别 EAN、UPC、Code 128、Data Matrix 等条码"));
    gridLayout->addWidget(allFormatsCheck, 2, 1);
    workbookCheck = new QCheckBox(QStringLiteral("同时保存为Excel工作簿"), contentFrame);
    workbookCheck->setObjectName(QStringLiteral("workbookCheck"));
    workbookCheck->setToolTip(QStringLiteral("另写一个 .xlsx 文件，每个文件夹一个工作表，内容保存为文本"));
    gridLayout->addWidget(workbookCheck, 3, 1);
    reportView = new ReportView(gridLayout, QStringLiteral("jieMaBtn"), QStringLiteral("图片"));
    jieMaBtn = reportView->startButton;
    resultLabel = reportView->resultLabel;
    runtimeLabel = reportView->runtimeLabel;
    progressLabel = reportView->progressLabel;
    progressBar = reportView->progressBar;
    reportView->lockWhileRunning({jiemaPathEdit, savePathEdit, pictureRow.chooser, saveRow.chooser, allFormatsCheck, workbookCheck});
    startOnEnter(jiemaPathEdit, jieMaBtn);
    startOnEnter(savePathEdit, jieMaBtn);

    connect(pictureRow.chooser, &QToolButton::clicked, this, &JieMa::on_selectFileBtn_clicked);
    connect(saveRow.chooser, &QToolButton::clicked, this, &JieMa::on_selectPathBtn_clicked);
    connect(jieMaBtn, &QPushButton::clicked, this, &JieMa::on_jieMaBtn_clicked);
    connect(reportView, &ReportView::stopRequested, this, [this] {
        if (workerThread)
            workerThread->requestInterruption();
    });
}

void JieMa::rememberPaths() const
{
    QSettings settings;
    settings.setValue(picturePathKey, jiemaPathEdit->text().trimmed());
    settings.setValue(savePathKey, savePathEdit->text().trimmed());
    settings.setValue(allFormatsKey, allFormatsCheck->isChecked());
    settings.setValue(workbookKey, workbookCheck->isChecked());
}

void JieMa::on_selectFileBtn_clicked()
{
    chooseFolderInto(this, tr("二维码图片文件夹.."), jiemaPathEdit);
}

void JieMa::on_selectPathBtn_clicked()
{
    chooseFolderInto(this, tr("解码内容保存到.."), savePathEdit);
}

void JieMa::on_jieMaBtn_clicked()
{
    const QString jiemaPath = trimmedPath(jiemaPathEdit);
    const QString savePath = trimmedPath(savePathEdit);
    if (jiemaPath.isEmpty()) {
        showMessageBox(QStringLiteral("请选择二维码图片文件夹"));
        return;
    }
    if (savePath.isEmpty()) {
        showMessageBox(QStringLiteral("请选择解码内容保存位置"));
        return;
    }
    // The worker makes the save folder once it has accepted the inputs.
    if (!QDir(jiemaPath).exists()) {
        showPathMessage(QStringLiteral("二维码图片文件夹不存在："), jiemaPath);
        return;
    }
    rememberPaths();
    if (!modelNoticeShown && findDetectorModels(detectorModelFolders()).isEmpty()) {
        modelNoticeShown = true;
        showMessageBox(modelNotice(detectorModelFolders()));
    }
    reportView->startRun(savePath);

    auto *worker = new BatchJiema;
    worker->setAllFormats(allFormatsCheck->isChecked());
    worker->setWorkbook(workbookCheck->isChecked());
    QThread *thread = moveToWorkerThread(worker);
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
    emit new_jiema_started(trimmedPath(jiemaPathEdit), trimmedPath(savePathEdit), QStringLiteral("default"));
}

void JieMa::slot_jiema_thread_viewer(QString type, QString message)
{
    // The worker's notice is about the models, which the page tells before the run, once.
    if (type == QLatin1String("notice")) {
        if (!modelNoticeShown)
            showMessageBox(message);
        modelNoticeShown = true;
        return;
    }
    reportView->show(type, type == QLatin1String("progress") ? withCsvLinks(message) : message);
}
