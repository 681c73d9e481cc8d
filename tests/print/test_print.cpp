#include "batch_create/batch_create.h"
#include "batch_create/sheet_create.h"
#include "batch_create/sheet_layout.h"
#include "batch_create/sheet_preview.h"
#include "gif/gif_image.h"
#include "render/label_painter.h"
#include "render/qr_renderer.h"
#include "render/qr_style_record.h"
#include "style/style_presets.h"
#include "tests/support/test_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

Q_DECLARE_METATYPE(QrStyleRecord)

namespace {

// Output of a tool the tests check files with; empty when it fails.
QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// The file as a picture at the resolution given, at the size the file declares.
QImage rasterise(const QString &path, int dpi, const QString &pngPath)
{
    if (path.endsWith(QLatin1String(".svg"))) {
        const QString number = QString::number(dpi);
        runTool(QStringLiteral("rsvg-convert"), {QStringLiteral("-d"), number, QStringLiteral("-p"), number,
                                                 QStringLiteral("-b"), QStringLiteral("white"), path, QStringLiteral("-o"), pngPath});
    } else {
        const QString stem = pngPath.chopped(4);
        runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                             QStringLiteral("-singlefile"), path, stem});
    }
    return QImage(pngPath).convertToFormat(QImage::Format_Grayscale8);
}

QrStyleRecord captioned(const QString &content)
{
    QrStyleRecord style = batchPreset().record;
    style.content = content;
    style.labelText = QStringLiteral("资产编号 A-1");
    return style;
}

// The value of the PNG's pHYs chunk, x only; -1 without one.
qint64 pngResolution(const QByteArray &png)
{
    const int at = png.indexOf("pHYs");
    if (at < 0)
        return -1;
    const auto byte = [&](int i) { return qint64(quint8(png.at(at + 4 + i))); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

// Runs a worker on this thread and returns its reports as "type|message".
template <class Worker>
QStringList runWorker(Worker *worker, const QString &input, const QString &output, bool stop = false)
{
    QStringList reports;
    QObject::connect(worker, &Worker::returnResult, [&reports](const QString &type, const QString &message) {
        reports << type + QLatin1Char('|') + message;
    });
    if (stop) {
        // Asked to stop before its first row, as by Ctrl+C.
        QThread *thread = QThread::create([&] {
            QThread::currentThread()->requestInterruption();
            worker->batchStart(input, output, QStringLiteral("qrcustom"));
        });
        thread->start();
        thread->wait();
        delete thread;
    } else {
        worker->batchStart(input, output, QStringLiteral("qrcustom"));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return reports;
}

// Millimetres from the cell's centre to the centre of the code's own square in a
// label cut from a page of pixel millimetres: the first dark line runs along the
// top finders from the code's left edge to its right, the caption lying below.
QPointF codeOffset(const QImage &label, QSizeF cell, double pixel)
{
    for (int y = 0; y < label.height(); ++y) {
        const uchar *line = label.constScanLine(y);
        int left = -1;
        int right = -1;
        for (int x = 0; x < label.width(); ++x) {
            if (line[x] < 128) {
                left = left < 0 ? x : left;
                right = x;
            }
        }
        if (left >= 0) {
            const double half = (right - left + 1) / 2.0;
            return QPointF((left + half) * pixel - cell.width() / 2, (y + half) * pixel - cell.height() / 2);
        }
    }
    return QPointF(cell.width(), cell.height());
}

QString rowsCsv(const QString &folder, int count, int emptyAt = -1)
{
    QByteArray csv = "name,content\n";
    for (int i = 1; i <= count; ++i)
        csv += i == emptyAt ? QByteArray("empty,\n") : QStringLiteral("标签%1,https://example.com/asset/%1\n").arg(i).toUtf8();
    const QString path = folder + QStringLiteral("/rows.csv");
    writeFile(path, csv);
    return path;
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void vectorRoundTrip_data();
    void vectorRoundTrip();
    void noSeams();
    void printSize_data();
    void printSize();
    void sheetCells();
    void sheetPreviewLabels_data();
    void sheetPreviewLabels();
    void thermal_data();
    void thermal();
    void refused_data();
    void refused();

private:
    QTemporaryDir dir;
};

void TestPrint::vectorRoundTrip_data()
{
    QTest::addColumn<QrStyleRecord>("style");
    QTest::addColumn<QString>("format");
    const QString url = QStringLiteral("https://example.com/item/42?from=print");
    QImage logo(120, 80, QImage::Format_ARGB32);
    logo.fill(QColor(200, 40, 40));
    QImage paper(900, 900, QImage::Format_RGB32);
    paper.fill(QColor(240, 230, 200));
    QVERIFY(paper.save(dir.filePath(QStringLiteral("paper.png"))));
    for (const QString &format : {QStringLiteral("svg"), QStringLiteral("pdf")}) {
        // Every module shape with every eye shape.
        for (int shape = 0; shape <= 2; ++shape) {
            for (int eye = 0; eye <= 2; ++eye) {
                QrStyleRecord style = captioned(url);
                style.moduleShape = shape;
                style.eyeShape = eye;
                QTest::addRow("%s shape %d eye %d", qPrintable(format), shape, eye) << style << format;
            }
        }
        for (const QString &place : {QStringLiteral("top"), QStringLiteral("center")}) {
            QrStyleRecord style = captioned(url);
            style.labelPosition = place;
            QTest::addRow("%s caption %s", qPrintable(format), qPrintable(place)) << style << format;
        }
        QrStyleRecord style = captioned(url);
        style.logoImage = logo;
        style.errorCorrectionLevel = 2;
        QTest::addRow("%s logo", qPrintable(format)) << style << format;
        style = captioned(url);
        style.backgroundPath = dir.filePath(QStringLiteral("paper.png"));
        style.codeOffsetX = 200;
        style.codeOffsetY = 150;
        style.codeRotation = 20;
        QTest::addRow("%s background", qPrintable(format)) << style << format;
    }
}

// Each vector file decodes once rasterised at the size it declares, and needs no
// font to print its caption.
void TestPrint::vectorRoundTrip()
{
    QFETCH(QrStyleRecord, style);
    QFETCH(QString, format);
    style.printWidth = 60;
    const QString path = dir.filePath(QStringLiteral("code.") + format);
    QVERIFY(style.render(path));
    const QByteArray bytes = readFile(path);
    if (format == QLatin1String("svg"))
        QVERIFY(!bytes.contains("<text"));
    else
        QCOMPARE(runTool(QStringLiteral("pdffonts"), {path}).count('\n'), 2); // the heading only
    const QString png = dir.filePath(QStringLiteral("code.png"));
    const QImage image = rasterise(path, 200, png);
    // 60 mm for the canvas; a background is drawn at the canvas's scale.
    const int canvasPixels = qRound(60 / 25.4 * 200);
    const int expected = style.backgroundPath.isEmpty() ? canvasPixels : qRound(canvasPixels * 900.0 / style.imageSize);
    QVERIFY2(qAbs(image.width() - expected) <= 1, qPrintable(QString::number(image.width())));
    QCOMPARE(decodeQrCode(png), style.content);
}

// Touching dark modules are one area: at 1,200 dpi no light pixel shows between them.
void TestPrint::noSeams()
{
    QrStyleRecord style = batchPreset().record;
    style.content = QStringLiteral("seams 0123456789 abcdefghijklmnopqrstuvwxyz");
    style.labelText.clear();
    style.printWidth = 25;
    const QrSymbol symbol = encodeSymbol(style);
    QVERIFY(symbol);
    for (const QString &format : {QStringLiteral("pdf"), QStringLiteral("svg")}) {
        const QString path = dir.filePath(QStringLiteral("seams.") + format);
        QVERIFY(style.render(path));
        const QImage image = rasterise(path, 1200, dir.filePath(QStringLiteral("seams.png")));
        QVERIFY(!image.isNull());
        const double module = double(image.width()) / (symbol->width + 2);
        const auto dark = [&](int column, int row) { return symbol->data[row * symbol->width + column] & 1; };
        int blocks = 0;
        for (int row = 0; row + 1 < symbol->width; ++row) {
            for (int column = 0; column + 1 < symbol->width; ++column) {
                if (!dark(column, row) || !dark(column + 1, row) || !dark(column, row + 1) || !dark(column + 1, row + 1))
                    continue;
                ++blocks;
                // The block less a fifth of a module at its outer edges.
                const int left = qCeil((column + 1.2) * module);
                const int top = qCeil((row + 1.2) * module);
                const int right = qFloor((column + 2.8) * module);
                const int bottom = qFloor((row + 2.8) * module);
                for (int y = top; y <= bottom; ++y) {
                    const uchar *line = image.constScanLine(y);
                    for (int x = left; x <= right; ++x)
                        QVERIFY2(line[x] < 40, qPrintable(QStringLiteral("%1 %2,%3 at %4,%5").arg(format).arg(column).arg(row).arg(x).arg(y)));
                }
            }
        }
        QVERIFY2(blocks > 20, qPrintable(QString::number(blocks)));
    }
}

void TestPrint::printSize_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<qint64>("perMetre");
    QTest::addColumn<bool>("smallModules");
    QTest::newRow("30mm 300dpi") << 30.0 << 300 << 354 << qint64(11811) << false;
    QTest::newRow("1in 600dpi") << 25.4 << 600 << 600 << qint64(23622) << false;
    // Too few pixels a module to scan: the picture grows, its printed width stays.
    QTest::newRow("grown") << 8.0 << 72 << 140 << qint64(17500) << true;
}

void TestPrint::printSize()
{
    QFETCH(double, width);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QFETCH(qint64, perMetre);
    QFETCH(bool, smallModules);
    QrStyleRecord style = captioned(QStringLiteral("https://example.com/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q"));
    style.printWidth = width;
    style.printDpi = dpi;
    const QString path = dir.filePath(QStringLiteral("sized.png"));
    double module = 0;
    QVERIFY(style.render(path, &module));
    const QImage image(path);
    QCOMPARE(image.width(), pixels);
    QCOMPARE(pngResolution(readFile(path)), perMetre);
    QCOMPARE(module < smallestPrintedModule, smallModules);
    QCOMPARE(decodeQrCode(path), style.content);
}

// Every label of a three-page sheet holds its row's code, in row order past a failed
// row, centred on its cell.
void TestPrint::sheetCells()
{
    QTemporaryDir folder;
    const int labels = 72;
    const QString csv = rowsCsv(folder.path(), labels + 1, 10);
    auto *worker = new SheetCreate;
    SheetLayout layout = namedSheets().first().layout;
    worker->setLayout(layout);
    const QString pdf = folder.filePath(QStringLiteral("labels.pdf"));
    const QStringList reports = runWorker(worker, csv, pdf);
    QVERIFY2(reports.contains(QStringLiteral("failed|内容为空\nempty")), qPrintable(reports.join('\n')));
    QCOMPARE(readFile(folder.filePath(QStringLiteral("error_log.txt"))), QByteArray("name,content\nempty,\n"));
    constexpr int dpi = 300;
    const double pixel = 25.4 / dpi;
    int row = 0;
    for (int page = 1; page <= 3; ++page) {
        const QString stem = folder.filePath(QStringLiteral("page"));
        runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                                             QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                                             QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
        const QImage sheet = QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(sheet.width(), qRound(210 / pixel));
        for (int place = 0; place < layout.labelsPerPage(); ++place) {
            ++row;
            if (row == 10)
                ++row;
            const QRectF cell = layout.cell(place);
            const QRect area(qRound(cell.left() / pixel), qRound(cell.top() / pixel), qRound(cell.width() / pixel),
                             qRound(cell.height() / pixel));
            // Outside the page, copy() would add black pixels.
            const QImage label = sheet.copy(area.intersected(sheet.rect()));
            const QString labelPath = folder.filePath(QStringLiteral("label.png"));
            QVERIFY(label.save(labelPath));
            QCOMPARE(decodeQrCode(labelPath), QStringLiteral("https://example.com/asset/%1").arg(row));
            const QPointF offset = codeOffset(label, cell.size(), pixel);
            QVERIFY2(qAbs(offset.x()) <= 0.2 && qAbs(offset.y()) <= 0.2,
                     qPrintable(QStringLiteral("label %1 off by %2,%3 mm").arg(row).arg(offset.x()).arg(offset.y())));
        }
    }
    QVERIFY(runTool(QStringLiteral("pdfinfo"), {pdf}).contains("Pages:           3\n"));
}

void TestPrint::sheetPreviewLabels_data()
{
    QTest::addColumn<QString>("workbook"); // empty: a CSV file of five rows
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("labels");
    QTest::newRow("csv") << "" << "" << 5;
    QTest::newRow("workbook, first visible sheet") << "libreoffice.xlsx" << "" << 11;
    QTest::newRow("workbook, sheet chosen") << "libreoffice.xlsx" << "其他" << 1;
}

// The preview's first page has a label in each cell the input's rows fill, and no other.
void TestPrint::sheetPreviewLabels()
{
    QFETCH(QString, workbook);
    QFETCH(QString, sheet);
    QFETCH(int, labels);
    QTemporaryDir folder;
    const QString input = workbook.isEmpty() ? rowsCsv(folder.path(), 5) : QStringLiteral(GLYPHORA_TEST_DATA "/workbooks/") + workbook;
    const SheetLayout layout = namedSheets().first().layout;
    constexpr int width = 600;
    const QImage page = sheetPreview(input, sheet, layout, batchPreset(), width).convertToFormat(QImage::Format_Grayscale8);
    const double unit = width / layout.page.width();
    QStringList inked;
    for (int place = 0; place < layout.labelsPerPage(); ++place) {
        const QRectF cell = layout.cell(place);
        // Inside the cell's grey outline.
        const QRect area = QRect(qRound(cell.left() * unit), qRound(cell.top() * unit), qRound(cell.width() * unit),
                                 qRound(cell.height() * unit)).adjusted(2, 2, -2, -2);
        for (int y = area.top(); y <= area.bottom() && !inked.contains(QString::number(place)); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (page.pixelColor(x, y).value() < 100) {
                    inked << QString::number(place);
                    break;
                }
    }
    QStringList expected;
    for (int place = 0; place < labels; ++place)
        expected << QString::number(place);
    QCOMPARE(inked, expected);
}

void TestPrint::thermal_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pageSize"); // PDF pages are whole points
    QTest::addColumn<bool>("background");
    QTest::newRow("40x30") << "thermal-40x30" << "size:  113 x 85 pts" << false;
    QTest::newRow("50x30") << "thermal-50x30" << "size:  142 x 85 pts" << false;
    QTest::newRow("60x40") << "thermal-60x40" << "size:  170 x 113 pts" << false;
    // The canvas sits in the background's corner: the code, not the picture, is centred.
    QTest::newRow("50x30 on a background") << "thermal-50x30" << "size:  142 x 85 pts" << true;
}

// One label a page, the page the label's size, the code on its centre.
void TestPrint::thermal()
{
    QFETCH(QString, name);
    QFETCH(QString, pageSize);
    QFETCH(bool, background);
    QTemporaryDir folder;
    const QString csv = rowsCsv(folder.path(), 5);
    auto *worker = new SheetCreate;
    SheetLayout layout;
    for (const NamedSheet &sheet : namedSheets()) {
        if (sheet.name == name)
            layout = sheet.layout;
    }
    worker->setLayout(layout);
    if (background) {
        BatchComposition composition;
        composition.backgroundPath = folder.filePath(QStringLiteral("light.png"));
        QImage picture(700, 620, QImage::Format_RGB32);
        picture.fill(QColor(235, 225, 205));
        QVERIFY(picture.save(composition.backgroundPath));
        worker->setComposition(composition);
    }
    const QString pdf = folder.filePath(QStringLiteral("labels.pdf"));
    QVERIFY(runWorker(worker, csv, pdf).contains(QStringLiteral("success|成功：5 个标签，5 页")));
    const QByteArray info = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                                QStringLiteral("5"), pdf});
    QVERIFY(info.contains("Pages:           5\n"));
    QCOMPARE(info.count(pageSize.toLatin1()), 5);
    constexpr int dpi = 600;
    const QString stem = folder.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), QStringLiteral("-l"),
                                         QStringLiteral("1"), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    const QImage page = QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
    QVERIFY(!page.isNull());
    const QPointF offset = codeOffset(page, layout.cell(0).size(), 25.4 / dpi);
    QVERIFY2(qAbs(offset.x()) <= 0.2 && qAbs(offset.y()) <= 0.2,
             qPrintable(QStringLiteral("off by %1,%2 mm").arg(offset.x()).arg(offset.y())));
}

void TestPrint::refused_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("stop");
    QTest::newRow("svg on an animated background") << "svg" << false;
    QTest::newRow("sheet on an animated background") << "sheet" << false;
    QTest::newRow("stopped sheet") << "sheet" << true;
}

// Rows that have no vector form are refused with their reason and logged; a sheet
// stopped before its end leaves no file.
void TestPrint::refused()
{
    QFETCH(QString, command);
    QFETCH(bool, stop);
    QTemporaryDir folder;
    const QString csv = rowsCsv(folder.path(), 2);
    BatchComposition composition;
    if (!stop) {
        GifImage gif(QSize(800, 800));
        QImage frame(800, 800, QImage::Format_RGB32);
        for (const QColor &colour : {QColor(Qt::white), QColor(Qt::yellow)}) {
            frame.fill(colour);
            gif.addFrame(frame, QPoint(0, 0), 100);
        }
        composition.backgroundPath = folder.filePath(QStringLiteral("moving.gif"));
        QVERIFY(gif.save(composition.backgroundPath));
    }
    const QString output = folder.filePath(command == QLatin1String("sheet") ? QStringLiteral("labels.pdf") : QStringLiteral("out"));
    QStringList reports;
    if (command == QLatin1String("sheet")) {
        auto *worker = new SheetCreate;
        worker->setLayout(namedSheets().first().layout);
        worker->setComposition(composition);
        reports = runWorker(worker, csv, output, stop);
    } else {
        auto *worker = new BatchCreate;
        worker->setFormat(command);
        worker->setComposition(composition);
        reports = runWorker(worker, csv, output);
    }
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("labels.pdf"))));
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("out/标签1.svg"))));
    if (stop) {
        QVERIFY2(reports.last().startsWith(QStringLiteral("stopped|")), qPrintable(reports.join('\n')));
        return;
    }
    QVERIFY2(reports.contains(QStringLiteral("failed|动画背景无法保存为矢量文件\n标签2")), qPrintable(reports.join('\n')));
    const QString log = command == QLatin1String("sheet") ? folder.filePath(QStringLiteral("error_log.txt"))
                                                          : folder.filePath(QStringLiteral("out/error_log.txt"));
    QCOMPARE(readFile(log), QStringLiteral("name,content\n标签1,https://example.com/asset/1\n标签2,https://example.com/asset/2\n").toUtf8());
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    TestPrint test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_print.moc"
