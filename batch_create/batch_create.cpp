#include "batch_create/batch_create.h"

#include "batch_create/csv_first_pass.h"
#include "batch_create/row_reader.h"
#include "batch_create/safe_output_path.h"
#include "common/elapsed_text.h"
#include "common/file_utils.h"
#include "common/guarded_file.h"
#include "common/held_folder.h"
#include "common/input_limits.h"
#include "common/report_text.h"
#include "common/run_error_log.h"
#include "common/shard_manifest.h"
#include "render/print_size.h"
#include "render/qr_style_record.h"
#include "render/vector_painter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QPair>
#include <QQueue>
#include <QScopeGuard>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/stat.h>

namespace {

const QString writeFailedText = QStringLiteral("保存文件写入失败，请检查文件夹权限");

// Why a row fails, as the command line and the pages show it beside the row's name.
const QString unknownStyleReason = QStringLiteral("未知的生成方式");
const QString rowTooLongReason = QStringLiteral("行过长");
const QString emptyContentReason = QStringLiteral("内容为空");
const QString contentTooLongReason = QStringLiteral("内容过长，二维码容纳不下");
const QString nameTooLongReason = QStringLiteral("名称过长，不能用作文件名");
const QString unsafeNameReason = QStringLiteral("名称含有不能用于文件名的字符");
const QString outsideTargetReason = QStringLiteral("名称指向保存文件夹以外的位置");
const QString folderInTheWayReason = QStringLiteral("保存文件夹中已有同名的文件夹或其他非普通文件");
const QString hardLinkReason = QStringLiteral("同名图片另有其他名称（硬链接），不能覆盖");

// Why the guarded path refused a row's file: something in its place, or a link out.
QString refusedTargetReason(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISLNK(status.st_mode))
        return outsideTargetReason;
    if (!S_ISREG(status.st_mode))
        return folderInTheWayReason;
    return status.st_nlink > 1 ? hardLinkReason : outsideTargetReason;
}
const QString inputTargetReason = QStringLiteral("会覆盖本次的输入文件");
const QString duplicateNameReason = QStringLiteral("名称重复");
const QString renderFailedReason = QStringLiteral("图片生成或写入失败");

// One data row, with everything decided before it is drawn: an empty path means
// the row fails without being drawn.
struct RowPlan
{
    QStringList fields;
    QString name;
    QString content;
    QString path;
    // Why the row fails before it is drawn; empty for a row to be drawn.
    QString reason;
    // The file the path reaches, links followed, as a key (see sameFileKey).
    QString target;
    // An earlier row reaches the same file: this one is drawn only if that one failed.
    bool sameAsEarlier = false;
};

enum class RowResult { Drawn, Failed, WriteFailed };

// A row drawn: whether its file was written, and the printed side of its modules
// in millimetres (0 without a print width).
struct RowDrawing
{
    RowResult result = RowResult::Failed;
    double printedModule = 0;
};

struct RowJob
{
    RowPlan plan;
    QFuture<RowDrawing> drawn;
    bool skipped = false;
    // The row's number among the data rows of the whole file.
    qint64 item = 0;
};

// A file by its device and inode: one file under two names (hard links, bind
// mounts, a folder that ignores letter case) is one file.
using FileId = QPair<quint64, quint64>;

FileId fileId(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return FileId();
    return FileId(quint64(info.st_dev), quint64(info.st_ino));
}

// What the plans of a run's rows depend on.
struct RunRules
{
    QString savePath;
    QString suffix;
    // Set when the rows cannot be drawn in the asked format: why.
    QString formatRefusal;
    bool knownStyle;
    // The run's input files, which no picture may replace.
    QSet<FileId> inputs;
    // The save folder takes "A" and "a" for one name: so are the rows' files compared.
    bool caseless;
    // Every file the rows reach, and whether a picture was written to it.
    QHash<QString, bool> targets;
};

QSet<FileId> fileIds(const QStringList &paths)
{
    QSet<FileId> ids;
    for (const QString &path : paths) {
        const FileId id = fileId(path);
        if (id != FileId())
            ids.insert(id);
    }
    return ids;
}

bool isInput(const QString &target, const RunRules &rules)
{
    const FileId id = fileId(target);
    return id != FileId() && rules.inputs.contains(id);
}

RowDrawing renderRow(const RowPlan &plan, const BatchStyle &style, const BatchComposition &composition)
{
    const int diskFailures = guardedDiskFailures();
    QrStyleRecord record = style.recordFor(plan.name, plan.content);
    composition.applyTo(record);
    RowDrawing drawing;
    if (record.render(plan.path, &drawing.printedModule))
        drawing.result = RowResult::Drawn;
    else if (guardedDiskFailures() != diskFailures)
        drawing.result = RowResult::WriteFailed;
    return drawing;
}

// Everything about a row that does not need drawing is settled here, in row order,
// so that rows drawn in parallel give exactly the files of a run that draws one
// row after another. index is the row's place in the file, the heading being 0.
RowPlan planRow(const QStringList &row, int index, bool cut, RunRules &rules)
{
    RowPlan plan;
    plan.fields = row;
    plan.name = row.first().isEmpty() ? QString::number(index) : row.first();
    plan.content = row.value(1);
    // Without content the renderer would encode the product site instead.
    const QString path = safeOutputPath(rules.savePath, plan.name, rules.suffix);
    const QString target = path.isEmpty() ? QString() : guardedTarget(path);
    if (!rules.knownStyle)
        plan.reason = unknownStyleReason;
    else if (cut)
        plan.reason = rowTooLongReason;
    else if (plan.content.isEmpty())
        plan.reason = emptyContentReason;
    else if (!contentLengthAllowed(plan.content))
        plan.reason = contentTooLongReason;
    else if (!rules.formatRefusal.isEmpty())
        plan.reason = rules.formatRefusal;
    else if (path.isEmpty() && QFile::encodeName(plan.name + QLatin1Char('.') + rules.suffix).size() > maxFileNameBytes)
        plan.reason = nameTooLongReason;
    else if (path.isEmpty())
        plan.reason = unsafeNameReason;
    else if (target.isEmpty())
        plan.reason = refusedTargetReason(path);
    else if (isInput(target, rules))
        plan.reason = inputTargetReason;
    if (!plan.reason.isEmpty())
        return plan;
    plan.path = path;
    plan.target = sameFileKey(target, rules.caseless);
    plan.sameAsEarlier = rules.targets.contains(plan.target);
    if (!plan.sameAsEarlier)
        rules.targets.insert(plan.target, false);
    return plan;
}

}

void BatchCreate::setComposition(const BatchComposition &composition)
{
    this->composition = composition;
}

void BatchCreate::setStyle(const BatchStyle &style)
{
    this->style = style;
}

void BatchCreate::setSheet(const QString &sheet)
{
    this->sheet = sheet;
}

void BatchCreate::setJobs(int jobs)
{
    this->jobs = jobs;
}

void BatchCreate::setSkipExisting(bool skip)
{
    skipExisting = skip;
}

void BatchCreate::setFormat(const QString &format)
{
    this->format = format;
}

void BatchCreate::batchStart(QString jiema_path, QString save_path, QString style_type)
{
    run(jiema_path, save_path, style_type.isEmpty() ? QStringLiteral("qrcustom") : style_type);
    finishRun();
}

void BatchCreate::run(const QString &csvPath, const QString &savePath, const QString &styleType)
{
    QString cacheMessage;
    cacheDirPath(&cacheMessage);
    if (!cacheMessage.isEmpty())
        report("notice", cacheMessage);

    // A first pass counts the rows for the progress total and tells a file that
    // cannot be read, or is no text, from an empty one; rows are never all in memory.
    const std::unique_ptr<RowReader> reader = openRowReader(csvPath, sheet);
    const CsvFirstPass firstPass = readFirstPass(*reader, shard);
    if (!firstPass.error.isEmpty()) {
        report("warning", firstPass.error);
        return;
    }
    const QStringList &heading = firstPass.heading;
    const int total = firstPass.dataRows;
    QStringList row;
    // Pictures every row shares are read once; a run that cannot use them does nothing.
    composition = style.compositionWith(composition);
    const QString compositionError = composition.load(style.recordFor(QStringLiteral("1"), QString()));
    if (!compositionError.isEmpty()) {
        report("warning", reportWithUserText(QStringLiteral("%1"), compositionError));
        return;
    }
    // An empty path names no folder: QDir would take the working folder and the
    // files would go to "/<name>".
    if (savePath.isEmpty() || (!QDir(savePath).exists() && !QDir().mkpath(savePath))) {
        report("warning", QStringLiteral("保存文件夹不存在并且创建失败"));
        return;
    }
    const HeldFolder saveFolder(savePath);
    if (!saveFolder.isOpen()) {
        report("warning", writeFailedText);
        return;
    }
    QElapsedTimer timer;
    timer.start();

    const bool vector = isVectorFormat(format);
    const QString refusal = vector && composition.animated() ? QStringLiteral("动画背景无法保存为矢量文件") : QString();
    RunRules rules{savePath, vector ? format : composition.outputSuffix(), refusal, styleType == QLatin1String("qrcustom"),
                   fileIds({csvPath, composition.logoPath, composition.backgroundPath}), saveFolder.ignoresLetterCase(),
                   QHash<QString, bool>()};
    const QString logPath = savePath + QStringLiteral("/error_log.txt");
    if (isInput(guardedTarget(logPath), rules)) {
        report("warning", QStringLiteral("保存文件夹中的 error_log.txt 是本次的输入文件，请把它另存为其他文件，或换一个保存文件夹"));
        return;
    }
    RunErrorLog log;
    if (!log.open(logPath)) {
        report("warning", RunErrorLog::openFailureText(logPath));
        return;
    }
    // A new log starts with the CSV's heading: fed back as a CSV, it loses no row.
    if (log.created() && !log.writeLine(logLine(heading))) {
        report("warning", writeFailedText);
        return;
    }
    // A shard records what merge needs to make the files of a whole run.
    ShardManifest manifest;
    const bool sharded = shard.count > 1;
    if (sharded && (!manifest.create(savePath, QStringLiteral("generate"), shard)
                    || !manifest.add({'H', 0, 0, logLine(heading), QByteArray(), false}))) {
        report("warning", writeFailedText);
        return;
    }

    reader->rewind();
    reader->readRow(row);
    QThreadPool pool;
    if (jobs > 0)
        pool.setMaxThreadCount(jobs);
    // Rows not yet started are dropped when the run ends early; those being drawn are waited for.
    const auto dropQueuedRows = qScopeGuard([&pool] { pool.clear(); });
    // Rows ahead of the one being reported, enough to keep every pool thread busy.
    const int lookAhead = 2 * pool.maxThreadCount();
    QQueue<RowJob> inFlight;
    QThread *thread = QThread::currentThread();
    int index = 0;
    qint64 dataRows = 0;
    int rendered = 0;
    int skipped = 0;
    int done = 0;
    for (;;) {
        // Once asked to stop, rows already read are still finished and reported.
        while (inFlight.size() < lookAhead && !thread->isInterruptionRequested() && reader->readRow(row)) {
            ++index;
            if (isBlankLine(row) || !shard.holds(dataRows++))
                continue;
            RowJob job{planRow(row, index, reader->rowCut(), rules), QFuture<RowDrawing>()};
            job.item = dataRows - 1;
            // A picture put in place is whole, so one that exists is kept.
            job.skipped = skipExisting && job.plan.reason.isEmpty() && !job.plan.sameAsEarlier && QFileInfo::exists(job.plan.path);
            if (job.skipped)
                rules.targets.insert(job.plan.target, true);
            else if (job.plan.reason.isEmpty() && !job.plan.sameAsEarlier)
                job.drawn = QtConcurrent::run(&pool, renderRow, job.plan, style, composition);
            inFlight.enqueue(job);
        }
        if (inFlight.isEmpty())
            break;
        const RowJob job = inFlight.dequeue();
        // A picture already written in this run is never replaced by a later row.
        RowDrawing drawing;
        QString reason = job.plan.reason;
        if (job.plan.sameAsEarlier && rules.targets.value(job.plan.target))
            reason = duplicateNameReason;
        else if (job.plan.sameAsEarlier)
            drawing = renderRow(job.plan, style, composition);
        else if (reason.isEmpty() && !job.skipped)
            drawing = job.drawn.result();
        // A row without a name is saved under its row number, and says so.
        const QString shownName = !job.plan.fields.first().isEmpty() || job.plan.path.isEmpty()
            ? job.plan.fields.first()
            : QStringLiteral("第 %1 行数据（名称为空，保存为 %2）").arg(job.plan.name, QFileInfo(job.plan.path).fileName());
        QString progress = reportWithUserText(QStringLiteral("正在生成：%1"), shownName);
        if (drawing.result == RowResult::Drawn && drawing.printedModule > 0 && drawing.printedModule < smallestPrintedModule)
            progress += QStringLiteral("（模块打印宽度 %1 毫米，小于 %2 毫米，手机可能难以识别）")
                            .arg(drawing.printedModule, 0, 'f', 2).arg(smallestPrintedModule);
        report("progress", progress);
        // A full disk ends the run: every later row would fail the same way.
        if (drawing.result == RowResult::WriteFailed) {
            report("warning", writeFailedText);
            return;
        }
        if (job.skipped) {
            ++skipped;
            // Kept from an earlier run, the picture is still this shard's to merge.
            if (sharded && !manifest.add({'P', job.item, 0, QFileInfo(job.plan.path).fileName().toUtf8(), logLine(job.plan.fields), false})) {
                report("warning", writeFailedText);
                return;
            }
        } else if (drawing.result == RowResult::Drawn) {
            rules.targets.insert(job.plan.target, true);
            ++rendered;
            if (sharded && !manifest.add({'P', job.item, 0, QFileInfo(job.plan.path).fileName().toUtf8(), logLine(job.plan.fields), false})) {
                report("warning", writeFailedText);
                return;
            }
            reportSuccess(job.plan.path, job.plan.name);
        } else if (!log.writeFailure(logLine(job.plan.fields))
                   || (sharded && !manifest.add({'L', job.item, 0, logLine(job.plan.fields), QByteArray(), false}))) {
            report("warning", writeFailedText);
            return;
        } else {
            reportFailure(reason.isEmpty() ? renderFailedReason : reason, job.plan.name);
        }
        ++done;
        report("count", QStringLiteral("%1/%2").arg(done).arg(qMax(done, total)));
    }
    if (!log.close() || (sharded && !manifest.close())) {
        report("warning", writeFailedText);
        return;
    }
    // Pictures and log lines reach the disk once for the whole run, not once a file:
    // what a finished run reports is on the disk, at a fraction of the time.
    if (!syncFolder(savePath)) {
        report("warning", writeFailedText);
        return;
    }
    if (reader->status() != RowReader::Finished && reader->status() != RowReader::Reading) {
        report("warning", reader->problem());
        return;
    }
    if (reader->status() == RowReader::Reading) {
        report("stopped", QStringLiteral("已停止：完成 %1 / 共 %2").arg(done).arg(qMax(done, total)));
        return;
    }
    const QString skippedText = skipped > 0 ? QStringLiteral("，跳过：%1 个").arg(skipped) : QString();
    if (log.failures() > 0) {
        report("success", QStringLiteral("成功：%1 个%2， 错误：%3 个，请在保存路径查看错误日志").arg(rendered).arg(skippedText).arg(log.failures()));
    } else {
        report("success", QStringLiteral("成功：%1 个%2").arg(rendered).arg(skippedText));
        log.remove();
    }
    report("runtime", elapsedText(timer.elapsed()));
    report("progress", QStringLiteral("<div style='color:green'>操作完成</div>"));
}
