#include "batch_create/batch_create.h"

#include "batch_create/row_reader.h"
#include "batch_create/safe_output_path.h"
#include "common/csv_field.h"
#include "common/elapsed_text.h"
#include "common/file_utils.h"
#include "common/guarded_file.h"
#include "common/input_limits.h"
#include "common/report_text.h"
#include "common/run_error_log.h"
#include "render/qr_style_record.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QQueue>
#include <QScopeGuard>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString writeFailedText = QStringLiteral("保存文件写入失败，请检查文件夹权限");

// One data row, with everything decided before it is drawn: an empty path means
// the row fails without being drawn.
struct RowPlan
{
    QStringList fields;
    QString name;
    QString content;
    QString path;
    // The file the path reaches, links followed.
    QString target;
    // An earlier row reaches the same file: this one is drawn only if that one failed.
    bool sameAsEarlier = false;
};

struct RowJob
{
    RowPlan plan;
    QFuture<bool> drawn;
};

// What the plans of a run's rows depend on.
struct RunRules
{
    QString savePath;
    QString suffix;
    bool knownStyle;
    // The run's input files, which no picture may replace.
    QSet<QString> inputs;
    // Every file the rows reach, and whether a picture was written to it.
    QHash<QString, bool> targets;
};

bool isBlankLine(const QStringList &row)
{
    return row.size() == 1 && row.first().isEmpty();
}

QByteArray logLine(const QStringList &fields)
{
    return (joinCsvFields(fields) + QLatin1Char('\n')).toUtf8();
}

QSet<QString> canonicalPaths(const QStringList &paths)
{
    QSet<QString> canonical;
    for (const QString &path : paths) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (!resolved.isEmpty())
            canonical.insert(resolved);
    }
    return canonical;
}

bool renderRow(const RowPlan &plan, const BatchStyle &style, const BatchComposition &composition)
{
    QrStyleRecord record = style.recordFor(plan.name, plan.content);
    composition.applyTo(record);
    return record.render(plan.path);
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
    if (!rules.knownStyle || cut || plan.content.isEmpty() || !contentLengthAllowed(plan.content))
        return plan;
    const QString path = safeOutputPath(rules.savePath, plan.name, rules.suffix);
    const QString target = path.isEmpty() ? QString() : guardedTarget(path);
    if (target.isEmpty() || rules.inputs.contains(target))
        return plan;
    plan.path = path;
    plan.target = target;
    plan.sameAsEarlier = rules.targets.contains(target);
    if (!plan.sameAsEarlier)
        rules.targets.insert(target, false);
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
    QStringList row;
    QStringList heading;
    int rowCount = 0;
    int total = 0;
    while (reader->readRow(row)) {
        if (rowCount++ == 0)
            heading = row;
        else if (!isBlankLine(row))
            ++total;
    }
    if (reader->status() != RowReader::Finished) {
        report("warning", reader->problem());
        return;
    }
    if (rowCount == 0) {
        report("warning", QStringLiteral("请选择正确csv文件"));
        return;
    }
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
    QElapsedTimer timer;
    timer.start();

    RunRules rules{savePath, composition.outputSuffix(), styleType == QLatin1String("qrcustom"),
                   canonicalPaths({csvPath, composition.logoPath, composition.backgroundPath}), QHash<QString, bool>()};
    const QString logPath = savePath + QStringLiteral("/error_log.txt");
    if (rules.inputs.contains(guardedTarget(logPath))) {
        report("warning", QStringLiteral("保存文件夹中的 error_log.txt 是本次的输入文件，请把它另存为其他文件，或换一个保存文件夹"));
        return;
    }
    RunErrorLog log;
    if (!log.open(logPath)) {
        report("warning", QStringLiteral("错误日志写入失败，请检查保存文件夹权限"));
        return;
    }
    // A new log starts with the CSV's heading: fed back as a CSV, it loses no row.
    if (log.created() && !log.writeLine(logLine(heading))) {
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
    int rendered = 0;
    int done = 0;
    for (;;) {
        // Once asked to stop, rows already read are still finished and reported.
        while (inFlight.size() < lookAhead && !thread->isInterruptionRequested() && reader->readRow(row)) {
            ++index;
            if (isBlankLine(row))
                continue;
            RowJob job{planRow(row, index, reader->rowCut(), rules), QFuture<bool>()};
            if (!job.plan.path.isEmpty() && !job.plan.sameAsEarlier)
                job.drawn = QtConcurrent::run(&pool, renderRow, job.plan, style, composition);
            inFlight.enqueue(job);
        }
        if (inFlight.isEmpty())
            break;
        const RowJob job = inFlight.dequeue();
        report("progress", reportWithUserText(QStringLiteral("正在生成：%1"), job.plan.fields.first()));
        // A picture already written in this run is never replaced by a later row.
        bool drawn = false;
        if (job.plan.sameAsEarlier)
            drawn = !rules.targets.value(job.plan.target) && renderRow(job.plan, style, composition);
        else if (!job.plan.path.isEmpty())
            drawn = job.drawn.result();
        if (drawn) {
            rules.targets.insert(job.plan.target, true);
            ++rendered;
        } else if (!log.writeFailure(logLine(job.plan.fields))) {
            report("warning", writeFailedText);
            return;
        }
        ++done;
        report("count", QStringLiteral("%1/%2").arg(done).arg(qMax(done, total)));
    }
    if (!log.close()) {
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
    if (log.failures() > 0) {
        report("success", QStringLiteral("成功：%1 个， 错误：%2 个，请在保存路径查看错误日志").arg(rendered).arg(log.failures()));
    } else {
        report("success", QStringLiteral("成功：%1 个").arg(rendered));
        log.remove();
    }
    report("runtime", elapsedText(timer.elapsed()));
    report("progress", QStringLiteral("<div style='color:green'>操作完成</div>"));
}
