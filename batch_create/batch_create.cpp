#include "batch_create/batch_create.h"

#include "common/csv_field.h"
#include "common/elapsed_text.h"
#include "common/file_utils.h"
#include "batch_create/csv_reader.h"
#include "batch_create/safe_output_path.h"
#include "render/qr_style_record.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFuture>
#include <QSet>
#include <QThread>
#include <QThreadPool>
#include <QVector>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// One data row, with everything decided before rendering starts: an empty path
// means the row fails without being drawn.
struct RowPlan
{
    QStringList fields;
    QString name;
    QString content;
    QString path;
    // An earlier row has the same path: this one is drawn only if that one failed.
    bool sameAsEarlier = false;
};

bool isBlankLine(const QStringList &row)
{
    return row.size() == 1 && row.first().isEmpty();
}

bool renderRow(const RowPlan &plan, const BatchStyle &style, const BatchComposition &composition)
{
    QrStyleRecord record = style.recordFor(plan.name, plan.content);
    composition.applyTo(record);
    return record.render(plan.path);
}

// Everything about a row that does not need drawing is settled here, in row order,
// so that rows drawn in parallel give exactly the files of a run that draws one
// row after another.
QVector<RowPlan> planRows(const CsvTable &table, const QString &savePath, bool known, const QString &suffix)
{
    QVector<RowPlan> plans;
    QSet<QString> seenPaths;
    for (int i = 1; i < table.size(); ++i) {
        const QStringList &row = table.at(i);
        if (isBlankLine(row))
            continue;
        RowPlan plan;
        plan.fields = row;
        plan.name = row.first().isEmpty() ? QString::number(i) : row.first();
        plan.content = row.value(1);
        const int zero = plan.content.indexOf(QChar());
        if (zero >= 0)
            plan.content.truncate(zero);
        // Without content the renderer would encode the product site instead.
        if (known && !plan.content.isEmpty()) {
            plan.path = safeOutputPath(savePath, plan.name, suffix);
            if (!plan.path.isEmpty()) {
                plan.sameAsEarlier = seenPaths.contains(plan.path);
                seenPaths.insert(plan.path);
            }
        }
        plans << plan;
    }
    return plans;
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

void BatchCreate::batchStart(QString jiema_path, QString save_path, QString style_type)
{
    QString cacheMessage;
    cacheDirPath(&cacheMessage);
    if (!cacheMessage.isEmpty())
        emit returnResult(QStringLiteral("notice"), cacheMessage);
    if (style_type.isEmpty())
        style_type = QStringLiteral("qrcustom");

    const CsvTable table = readCsvFile(jiema_path, QString());
    if (table.isEmpty()) {
        emit returnResult(QStringLiteral("warning"), QStringLiteral("请选择正确csv文件"));
        deleteLater();
        return;
    }
    // Pictures every row shares are read once; a run that cannot use them does nothing.
    composition = style.compositionWith(composition);
    const QString compositionError = composition.load(style.recordFor(QStringLiteral("1"), QString()));
    if (!compositionError.isEmpty()) {
        emit returnResult(QStringLiteral("warning"), compositionError);
        deleteLater();
        return;
    }
    if (!QDir(save_path).exists() && !QDir().mkpath(save_path)) {
        emit returnResult(QStringLiteral("warning"), QStringLiteral("保存文件夹不存在并且创建失败"));
        deleteLater();
        return;
    }
    QElapsedTimer timer;
    timer.start();
    QFile log(save_path + QStringLiteral("/error_log.txt"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        emit returnResult(QStringLiteral("warning"), QStringLiteral("错误日志写入失败，请检查保存文件夹权限"));
        deleteLater();
        return;
    }

    const QVector<RowPlan> plans = planRows(table, save_path, style_type == QLatin1String("qrcustom"),
                                             composition.outputSuffix());
    const int total = plans.size();
    QThreadPool pool;
    // Rows ahead of the one being reported, enough to keep every pool thread busy.
    const int lookAhead = 2 * pool.maxThreadCount();
    QVector<QFuture<bool>> drawn(total);
    QThread *thread = QThread::currentThread();
    QSet<QString> writtenPaths;
    int started = 0;
    int rendered = 0;
    int errorCount = 0;
    int done = 0;
    for (; done < total; ++done) {
        // Once asked to stop, rows already started are still finished and reported.
        if (thread->isInterruptionRequested() && done >= started)
            break;
        for (; !thread->isInterruptionRequested() && started < total && started < done + lookAhead; ++started) {
            if (!plans.at(started).path.isEmpty() && !plans.at(started).sameAsEarlier)
                drawn[started] = QtConcurrent::run(&pool, renderRow, plans.at(started), style, composition);
        }
        const RowPlan &plan = plans.at(done);
        emit returnResult(QStringLiteral("progress"), QStringLiteral("正在生成：%1").arg(plan.fields.first()));
        // A picture already written in this run is never replaced by a later row.
        bool drawnNow = false;
        if (plan.sameAsEarlier)
            drawnNow = !writtenPaths.contains(plan.path) && renderRow(plan, style, composition);
        else if (!plan.path.isEmpty())
            drawnNow = drawn.at(done).result();
        if (drawnNow) {
            writtenPaths.insert(plan.path);
            ++rendered;
        } else {
            ++errorCount;
            log.write((joinCsvFields(plan.fields) + QLatin1Char('\n')).toUtf8());
        }
        emit returnResult(QStringLiteral("count"), QStringLiteral("%1/%2").arg(done + 1).arg(total));
    }
    log.close();

    if (done < total) {
        // A stopped run leaves the log as it stands: it may hold lines of earlier runs.
        emit returnResult(QStringLiteral("stopped"), QStringLiteral("已停止：完成 %1 / 共 %2").arg(done).arg(total));
        deleteLater();
        return;
    }
    if (errorCount > 0) {
        emit returnResult(QStringLiteral("success"),
                          QStringLiteral("成功：%1 个， 错误：%2 个，请在保存路径查看错误日志").arg(rendered).arg(errorCount));
    } else {
        emit returnResult(QStringLiteral("success"), QStringLiteral("成功：%1 个").arg(rendered));
        log.remove();
    }
    emit returnResult(QStringLiteral("runtime"), elapsedText(timer.elapsed()));
    emit returnResult(QStringLiteral("progress"), QStringLiteral("<div style='color:green'>操作完成</div>"));
    deleteLater();
}
