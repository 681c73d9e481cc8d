#include "batch_create/csv_create.h"

#include "app/message_box.h"
#include "app/page_form.h"
#include "app/path_drop.h"
#include "app/report_view.h"
#include "app/worker_thread.h"
#include "batch_create/batch_create.h"
#include "batch_create/existing_pictures.h"
#include "batch_create/heading_check.h"
#include "batch_create/sheet_create.h"
#include "batch_create/sheet_list.h"
#include "batch_create/sheet_preview.h"
#include "batch_create/style_chooser.h"
#include "common/report_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QtConcurrent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString csvPathKey = QStringLiteral("paths/csvFile");
const QString savePathKey = QStringLiteral("paths/codesFolder");
const QString workbookSheetKey = QStringLiteral("paths/workbookSheet");
const QString formatKey = QStringLiteral("output/format");
const QString sheetKey = QStringLiteral("output/sheet");
const QString sheetLayoutKey = QStringLiteral("output/sheetLayout");
constexpr int previewWidth = 150;

// The result of work done off this thread: the page waits for it without freezing,
// its start button off meanwhile.
template <typename T> T awaitResult(QPushButton *start, const QFuture<T> &future)
{
    start->setEnabled(false);
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<T>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    start->setEnabled(true);
    return watcher.result();
}

} // namespace

CsvCreate::CsvCreate(QWidget *parent)
    : QWidget(parent)
{
    headerFrame = buildPageHeader(this, QStringLiteral("批量生成二维码"), 150, QStringLiteral("使用CSV或Excel文件进行批量生成二维码"));
    buildForm();

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->addWidget(headerFrame);
    pageLayout->addWidget(contentFrame);
    pageLayout->addStretch();
    pageLayout->setSpacing(0);

    const QSettings settings;
    sheetBox->prefer(settings.value(csvPathKey).toString().trimmed(), settings.value(workbookSheetKey).toString());
    csvPathEdit->setText(settings.value(csvPathKey).toString());
    savePathEdit->setText(settings.value(savePathKey).toString());
    formatChoice->setCurrentIndex(qMax(0, formatChoice->findData(settings.value(formatKey))));
    sheetLayoutChoice->setCurrentIndex(qMax(0, sheetLayoutChoice->findData(settings.value(sheetLayoutKey))));
    sheetCheck->setChecked(settings.value(sheetKey).toBool());
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
    const PathRow csvRow = addPathRow(gridLayout, 0, QStringLiteral("选择CSV或Excel文件："), QStringLiteral("请选择CSV或Excel文件"),
                                      QStringLiteral("csvPathEdit"), QStringLiteral("选择文件.."), QStringLiteral("selectFileBtn"),
                                      QStringLiteral("第一行是标题（CSV文件或工作表），不会生成图片"));
    const PathRow saveRow = addPathRow(gridLayout, 1, QStringLiteral("保存到："), QStringLiteral("请选择生成的二维码保存位置"),
                                       QStringLiteral("savePathEdit"), QStringLiteral("选择目录.."), QStringLiteral("selectPathBtn"));
    csvPathEdit = csvRow.edit;
    savePathEdit = saveRow.edit;
    auto *sheetLabel = new QLabel(QStringLiteral("工作表："), contentFrame);
    sheetBox = new SheetList(csvPathEdit, sheetLabel, contentFrame);
    styleChooser = new StyleChooser(csvPathEdit, sheetBox, contentFrame);
    gridLayout->addWidget(styleChooser, 0, 3, 2, 1);
    buildOutputRows();
    // Below the output rows: the list shows only for a workbook.
    const int sheetLine = gridLayout->rowCount();
    gridLayout->addWidget(sheetLabel, sheetLine, 0);
    gridLayout->addWidget(sheetBox, sheetLine, 1);
    reportView = new ReportView(gridLayout, QStringLiteral("csvCreateBtn"));
    csvCreateBtn = reportView->startButton;
    resultLabel = reportView->resultLabel;
    runtimeLabel = reportView->runtimeLabel;
    progressLabel = reportView->progressLabel;
    progressBar = reportView->progressBar;
    reportView->lockWhileRunning({csvPathEdit, savePathEdit, csvRow.chooser, saveRow.chooser, styleChooser,
                                  formatChoice->parentWidget(), sheetCheck->parentWidget(), sheetBox});
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

void CsvCreate::buildOutputRows()
{
    // In rows of their own: a run locks the rows, keeping what the check box set.
    auto *formatRow = new QWidget(contentFrame);
    auto *formatLayout = new QHBoxLayout(formatRow);
    formatLayout->setContentsMargins(0, 0, 0, 0);
    formatChoice = new QComboBox(formatRow);
    formatChoice->setObjectName(QStringLiteral("formatChoice"));
    for (const char *format : {"png", "svg", "pdf"})
        formatChoice->addItem(QString::fromLatin1(format).toUpper(), QString::fromLatin1(format));
    formatLayout->addWidget(formatChoice);
    formatLayout->addStretch();
    gridLayout->addWidget(new QLabel(QStringLiteral("输出格式："), contentFrame), 2, 0);
    gridLayout->addWidget(formatRow, 2, 1);

    auto *sheetRow = new QWidget(contentFrame);
    auto *row = new QHBoxLayout(sheetRow);
    row->setContentsMargins(0, 0, 0, 0);
    sheetCheck = new QCheckBox(QStringLiteral("输出为PDF标签页"), sheetRow);
    sheetCheck->setObjectName(QStringLiteral("sheetCheck"));
    sheetLayoutChoice = new QComboBox(sheetRow);
    sheetLayoutChoice->setObjectName(QStringLiteral("sheetLayoutChoice"));
    for (const NamedSheet &sheet : namedSheets())
        sheetLayoutChoice->addItem(sheet.description, sheet.name);
    row->addWidget(sheetCheck);
    row->addWidget(sheetLayoutChoice, 1);
    gridLayout->addWidget(sheetRow, 3, 1);
    sheetPreviewLabel = new QLabel(contentFrame);
    sheetPreviewLabel->setObjectName(QStringLiteral("sheetPreview"));
    sheetPreviewLabel->setToolTip(QStringLiteral("标签页第一页的预览"));
    gridLayout->addWidget(sheetPreviewLabel, 2, 3, 2, 1, Qt::AlignCenter);

    const auto showSheet = [this] {
        // A sheet is one PDF: the format choice does not apply to it.
        formatChoice->setDisabled(sheetCheck->isChecked());
        sheetLayoutChoice->setEnabled(sheetCheck->isChecked());
        sheetPreviewLabel->setVisible(sheetCheck->isChecked());
        refreshSheetPreview();
    };
    showSheet();
    connect(sheetCheck, &QCheckBox::toggled, this, showSheet);
    connect(sheetLayoutChoice, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CsvCreate::refreshSheetPreview);
    connect(csvPathEdit, &QLineEdit::editingFinished, this, &CsvCreate::refreshSheetPreview);
    connect(sheetBox, &SheetList::sheetChanged, this, &CsvCreate::refreshSheetPreview);
    connect(styleChooser, &StyleChooser::styleChosen, this, &CsvCreate::refreshSheetPreview);
}

void CsvCreate::refreshSheetPreview()
{
    if (!sheetCheck->isChecked())
        return;
    const SheetLayout layout = namedSheets().value(sheetLayoutChoice->currentIndex()).layout;
    const int request = ++previewRequest;
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        if (request == previewRequest)
            sheetPreviewLabel->setPixmap(QPixmap::fromImage(watcher->result()));
    });
    watcher->setFuture(
        QtConcurrent::run(sheetPreview, csvPathEdit->text().trimmed(), sheetBox->sheet(), layout, styleChooser->style(), previewWidth));
}

void CsvCreate::rememberPaths() const
{
    QSettings settings;
    settings.setValue(csvPathKey, csvPathEdit->text().trimmed());
    settings.setValue(savePathKey, savePathEdit->text().trimmed());
    settings.setValue(workbookSheetKey, sheetBox->sheet());
    settings.setValue(formatKey, formatChoice->currentData());
    settings.setValue(sheetKey, sheetCheck->isChecked());
    settings.setValue(sheetLayoutKey, sheetLayoutChoice->currentData());
}

void CsvCreate::on_selectFileBtn_clicked()
{
    const QString before = csvPathEdit->text();
    chooseFileInto(this, QStringLiteral("选择CSV或Excel文件"), QStringLiteral("CSV或Excel文件 (*.csv *.xlsx *.xls)"), csvPathEdit);
    // The same workbook chosen again may have changed its sheets since.
    if (csvPathEdit->text() == before)
        sheetBox->reload();
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
    // Every check and the run read the sheet the list shows once its names are in.
    sheetBox->waitForNames();
    const QString sheet = sheetBox->sheet();
    rememberPaths();
    // A large workbook takes a while to open.
    if (awaitResult(csvCreateBtn, QtConcurrent::run(headingLooksLikeData, csv, sheet))
        && !askToConfirm(window(), headingLikeDataText(csv) + QStringLiteral("。\n仍然开始生成吗？")))
        return;
    if (sheetCheck->isChecked()) {
        startSheet(csv, sheet, save);
        return;
    }
    bool skipExisting = false;
    if (!askAboutExisting(csv, sheet, save, &skipExisting))
        return;
    reportView->startRun(save);

    auto *worker = new BatchCreate;
    worker->setStyle(styleChooser->style());
    worker->setSkipExisting(skipExisting);
    worker->setFormat(formatChoice->currentData().toString());
    worker->setSheet(sheet);
    runThread = moveToWorkerThread(worker);
    connect(runThread, &QThread::started, this, &CsvCreate::slot_create_thread_started);
    connect(this, &CsvCreate::new_create_started, worker, &BatchCreate::batchStart);
    connect(worker, &BatchCreate::returnResult, this, &CsvCreate::slot_create_thread_viewer);
    runThread->start();
}

void CsvCreate::startSheet(const QString &csv, const QString &sheet, const QString &save)
{
    // One PDF named after the CSV file, in the save folder.
    const QString pdf = QDir(save).filePath(QFileInfo(csv).completeBaseName() + QStringLiteral(".pdf"));
    if (QFileInfo::exists(pdf) && !askToConfirm(window(), QStringLiteral("保存文件夹中已有标签文件 %1，覆盖吗？").arg(QFileInfo(pdf).fileName())))
        return;
    if (!QDir().mkpath(save)) {
        showPathMessage(QStringLiteral("无法创建保存文件夹："), save);
        return;
    }
    reportView->startRun(save);
    auto *worker = new SheetCreate;
    worker->setLayout(namedSheets().value(sheetLayoutChoice->currentIndex()).layout);
    worker->setStyle(styleChooser->style());
    worker->setSheet(sheet);
    runThread = moveToWorkerThread(worker);
    connect(runThread, &QThread::started, worker, [worker, csv, pdf] { worker->batchStart(csv, pdf, QString()); });
    connect(worker, &SheetCreate::returnResult, this, &CsvCreate::slot_create_thread_viewer);
    runThread->start();
}

bool CsvCreate::askAboutExisting(const QString &csv, const QString &sheet, const QString &save, bool *skip)
{
    const QString suffix = styleChooser->style().compositionWith(BatchComposition()).outputSuffix();
    // A long CSV is read off this thread.
    const int existing = awaitResult(csvCreateBtn, QtConcurrent::run(countExistingPictures, csv, sheet, save, suffix));
    if (existing == 0)
        return true;
    QMessageBox box(QMessageBox::Question, QStringLiteral("提示"),
                    QStringLiteral("保存文件夹中已有 %1 个同名图片：覆盖 / 跳过 / 取消").arg(existing), QMessageBox::NoButton, window());
    QPushButton *replace = box.addButton(QStringLiteral("覆盖"), QMessageBox::AcceptRole);
    QPushButton *keep = box.addButton(QStringLiteral("跳过"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    *skip = box.clickedButton() == keep;
    return box.clickedButton() == replace || box.clickedButton() == keep;
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
