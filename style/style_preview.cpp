#include "style/style_preview.h"

#include "batch_decode/cnn_reader.h"
#include "batch_decode/detector_models.h"
#include "batch_decode/qr_image_decoder.h"
#include "style/preview_sample.h"

#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>


StylePreview::StylePreview(QObject *parent)
    : QObject(parent)
{
    pool.setMaxThreadCount(1);
    connect(&watcher, &QFutureWatcher<Result>::finished, this, &StylePreview::finished);
}

StylePreview::~StylePreview()
{
    pool.waitForDone();
}

void StylePreview::request(const BatchStyle &style, const QString &csvPath, const QString &sheet)
{
    if (watcher.isRunning())
        waiting = Job{style, csvPath, sheet};
    else
        start(Job{style, csvPath, sheet});
}

void StylePreview::start(const Job &job)
{
    watcher.setFuture(QtConcurrent::run(&pool, [this, job] { return draw(job); }));
}

void StylePreview::finished()
{
    if (waiting) {
        const Job next = *waiting;
        waiting.reset();
        start(next);
        return;
    }
    const Result result = watcher.result();
    emit ready(result.picture, result.problem);
}

StylePreview::Result StylePreview::draw(const Job &job)
{
    const PreviewSample sample = previewSample(job.csvPath, job.sheet);
    BatchComposition composition = job.style.compositionWith(BatchComposition());
    QrStyleRecord record = job.style.recordFor(sample.name, sample.content);
    const QString unusable = composition.load(record);
    if (!unusable.isEmpty())
        return {QImage(), unusable};
    composition.applyTo(record);

    // Drawn through the batch's own path to a file, so the preview is the picture
    // a run writes, animated backgrounds and all.
    const QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/preview.") + composition.outputSuffix();
    if (!folder.isValid() || !record.render(path))
        return {QImage(), QStringLiteral("无法按此样式生成二维码：内容过长、版本过小或留白过大")};
    const QImage picture(path);
    // Read as a run of the decoding page would read it: both engines.
    if (!cnn)
        cnn = std::make_unique<CnnReader>(findDetectorModels(detectorModelFolders()));
    const QString read = decodeQrImage(path, DecodeEngines::Both, cnn->isReady() ? cnn.get() : nullptr);
    if (read.isEmpty())
        return {picture, QStringLiteral("预览的二维码无法识别：请加大颜色对比、缩小 Logo 或提高纠错等级")};
    if (read != sample.content)
        return {picture, QStringLiteral("预览的二维码读出的内容与数据不同：%1")
                             .arg(read.size() > 80 ? read.left(80) + QStringLiteral("…") : read)};
    return {picture, QString()};
}
