#include "batch_create/sheet_create.h"

#include "batch_create/csv_first_pass.h"
#include "batch_create/row_reader.h"
#include "common/batch_shard.h"
#include "common/elapsed_text.h"
#include "common/guarded_file.h"
#include "common/input_limits.h"
#include "common/report_text.h"
#include "common/run_error_log.h"
#include "render/background_composer.h"
#include "render/label_painter.h"
#include "render/prepared_code.h"
#include "render/vector_painter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>

namespace {

const QString writeFailedText = QStringLiteral("标签文件写入失败，请检查文件夹权限和磁盘空间");

// Empty space kept round the code inside its label.
constexpr double labelEdge = 1.0;
constexpr int pdfResolution = 1200;

void drawCutMarks(QPainter &painter, const SheetLayout &layout)
{
    // In the page margins only, at every edge of a column or row, so that no mark
    // lands on a label, gap or not.
    constexpr double tick = 5.0;
    constexpr double clearance = 1.0;
    const QRectF first = layout.cell(0);
    const QRectF last = layout.cell(layout.labelsPerPage() - 1);
    painter.save();
    painter.setPen(QPen(Qt::black, 0.15));
    QVector<double> columns;
    for (int column = 0; column < layout.columns; ++column)
        columns << layout.cell(column).left() << layout.cell(column).right();
    QVector<double> rows;
    for (int row = 0; row < layout.rows; ++row)
        rows << layout.cell(row * layout.columns).top() << layout.cell(row * layout.columns).bottom();
    for (const double x : columns) {
        painter.drawLine(QPointF(x, qMax(0.0, first.top() - clearance - tick)), QPointF(x, first.top() - clearance));
        painter.drawLine(QPointF(x, last.bottom() + clearance), QPointF(x, qMin(layout.page.height(), last.bottom() + clearance + tick)));
    }
    for (const double y : rows) {
        painter.drawLine(QPointF(qMax(0.0, first.left() - clearance - tick), y), QPointF(first.left() - clearance, y));
        painter.drawLine(QPointF(last.right() + clearance, y), QPointF(qMin(layout.page.width(), last.right() + clearance + tick), y));
    }
    painter.restore();
}

} // namespace

void paintLabel(QPainter &painter, const PreparedCode &code, const QRectF &cell)
{
    const QSize size = code.outputSize();
    // The code's own centre goes on the cell's centre, also where a background
    // places the canvas away from the background's centre.
    QPointF centre = QPointF(codeOrigin(code.style)) + QPointF(code.style.codeSize() / 2.0, code.style.codeSize() / 2.0);
    if (!code.background.isNull())
        centre = canvasPlacement(code.style).map(centre);
    const double halfWidth = cell.width() / 2 - labelEdge;
    const double halfHeight = cell.height() / 2 - labelEdge;
    const double scale = qMin(halfWidth / qMax(centre.x(), size.width() - centre.x()),
                              halfHeight / qMax(centre.y(), size.height() - centre.y()));
    if (!(scale > 0))
        return;
    painter.save();
    painter.translate(cell.center());
    painter.scale(scale, scale);
    painter.translate(-centre);
    paintOutput(painter, code);
    painter.restore();
}

void SheetCreate::setLayout(const SheetLayout &layout)
{
    this->layout = layout;
}

void SheetCreate::setStyle(const BatchStyle &style)
{
    this->style = style;
}

void SheetCreate::setComposition(const BatchComposition &composition)
{
    this->composition = composition;
}

void SheetCreate::setSheet(const QString &sheet)
{
    this->sheet = sheet;
}

void SheetCreate::batchStart(QString csvPath, QString pdfPath, QString)
{
    run(csvPath, pdfPath);
    finishRun();
}

void SheetCreate::run(const QString &csvPath, const QString &pdfPath)
{
    const QString fault = layout.fault();
    if (!fault.isEmpty()) {
        report("warning", fault);
        return;
    }
    const std::unique_ptr<RowReader> input = openRowReader(csvPath, sheet);
    RowReader &reader = *input;
    const CsvFirstPass firstPass = readFirstPass(reader, BatchShard());
    if (!firstPass.error.isEmpty()) {
        report("warning", firstPass.error);
        return;
    }
    const QStringList &heading = firstPass.heading;
    const int total = firstPass.dataRows;
    QStringList row;
    if (total > maxSheetLabels) {
        const QString source = isWorkbookName(csvPath) ? QStringLiteral("工作表") : QStringLiteral("CSV 文件");
        report("warning", QStringLiteral("%1有 %2 行，一个标签文件最多 %3 个标签，请分成几个文件").arg(source).arg(total).arg(maxSheetLabels));
        return;
    }
    composition = style.compositionWith(composition);
    const QString compositionError = composition.load(style.recordFor(QStringLiteral("1"), QString()));
    if (!compositionError.isEmpty()) {
        report("warning", reportWithUserText(QStringLiteral("%1"), compositionError));
        return;
    }
    const QString folder = QFileInfo(pdfPath).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        report("warning", QStringLiteral("标签文件所在的文件夹不存在"));
        return;
    }
    const QString target = guardedTarget(pdfPath);
    if (target.isEmpty() || target == QFileInfo(csvPath).canonicalFilePath()) {
        report("warning", reportWithUserText(QStringLiteral("不能写入这个标签文件：%1"), pdfPath));
        return;
    }
    QElapsedTimer timer;
    timer.start();
    const QString logPath = folder + QStringLiteral("/error_log.txt");
    RunErrorLog log;
    if (guardedTarget(logPath) == QFileInfo(csvPath).canonicalFilePath() || !log.open(logPath)) {
        report("warning", QStringLiteral("错误日志写入失败，请检查保存文件夹权限"));
        return;
    }
    if (log.created() && !log.writeLine(logLine(heading))) {
        report("warning", writeFailedText);
        return;
    }

    const QString animatedRefusal = composition.animated() ? QStringLiteral("动画背景无法保存为矢量文件") : QString();
    QThread *thread = QThread::currentThread();
    int done = 0;
    int placed = 0;
    bool logFailed = false;
    bool stopped = false;
    const bool written = writeGuardedFile(pdfPath, [&](QIODevice *device) {
        QPdfWriter pdf(device);
        pdf.setCreator(QStringLiteral("Glyphora"));
        pdf.setResolution(pdfResolution);
        pdf.setPageSize(QPageSize(layout.page, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        // Millimetres from here on.
        const double unit = pdf.width() / layout.page.width();
        painter.scale(unit, unit);
        reader.rewind();
        reader.readRow(row);
        int index = 0;
        while (reader.readRow(row)) {
            ++index;
            if (isBlankLine(row))
                continue;
            if (thread->isInterruptionRequested()) {
                stopped = true;
                break;
            }
            const QString name = row.first().isEmpty() ? QString::number(index) : row.first();
            const QString content = row.value(1);
            report("progress", reportWithUserText(QStringLiteral("正在生成：%1"), row.first()));
            QString reason;
            PreparedCode code;
            if (reader.rowCut() || !contentLengthAllowed(content))
                reason = QStringLiteral("内容过长");
            else if (content.isEmpty())
                reason = QStringLiteral("内容为空");
            else if (!animatedRefusal.isEmpty())
                reason = animatedRefusal;
            QrStyleRecord record = style.recordFor(name, content);
            composition.applyTo(record);
            if (reason.isEmpty() && !record.prepare(&code, QStringLiteral("pdf")))
                reason = QStringLiteral("无法生成二维码");
            if (reason.isEmpty()) {
                const int place = placed % layout.labelsPerPage();
                if (place == 0 && placed > 0 && !pdf.newPage())
                    return false;
                if (place == 0 && layout.cutMarks)
                    drawCutMarks(painter, layout);
                paintLabel(painter, code, layout.cell(place));
                ++placed;
            } else {
                report("failed", reason + QLatin1Char('\n') + name);
                if (!log.writeFailure(logLine(row))) {
                    logFailed = true;
                    return false;
                }
            }
            ++done;
            report("count", QStringLiteral("%1/%2").arg(done).arg(qMax(done, total)));
        }
        // A stopped run or an unreadable rest leaves no sheet behind.
        if (stopped || reader.status() != RowReader::Finished || placed == 0)
            return false;
        return painter.end();
    });
    if (!log.close() || logFailed) {
        report("warning", writeFailedText);
        return;
    }
    if (stopped) {
        report("stopped", QStringLiteral("已停止：完成 %1 / 共 %2，未写入标签文件").arg(done).arg(qMax(done, total)));
        return;
    }
    if (reader.status() != RowReader::Finished) {
        report("warning", reader.problem());
        return;
    }
    if (placed == 0) {
        report("warning", QStringLiteral("没有可以生成的标签，请在保存路径查看错误日志"));
        return;
    }
    if (!written || !syncFolder(folder)) {
        report("warning", writeFailedText);
        return;
    }
    const int pages = (placed + layout.labelsPerPage() - 1) / layout.labelsPerPage();
    if (log.failures() > 0) {
        report("success", QStringLiteral("成功：%1 个标签，%2 页， 错误：%3 个，请在保存路径查看错误日志").arg(placed).arg(pages).arg(log.failures()));
    } else {
        report("success", QStringLiteral("成功：%1 个标签，%2 页").arg(placed).arg(pages));
        log.remove();
    }
    report("runtime", elapsedText(timer.elapsed()));
    report("progress", QStringLiteral("<div style='color:green'>操作完成</div>"));
}
