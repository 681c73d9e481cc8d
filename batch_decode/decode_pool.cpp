#include "batch_decode/decode_pool.h"

#include "batch_decode/detector_models.h"
#include "batch_decode/qr_image_decoder.h"

#include <QMutexLocker>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <opencv2/wechat_qrcode.hpp>

DecodePool::DecodePool(const QStringList &modelPaths)
{
    QStringList paths = modelPaths;
    auto first = buildDetector(paths);
    if (!first && !paths.isEmpty()) {
        paths.clear();
        first = buildDetector(paths);
    }
    withModels = first && !paths.isEmpty();
    if (first)
        idleDetectors.push_back(std::move(first));
    // A detector is not safe to share, so there are never more threads than detectors.
    while (!idleDetectors.empty() && int(idleDetectors.size()) < QThread::idealThreadCount()) {
        auto more = buildDetector(paths);
        if (!more)
            break;
        idleDetectors.push_back(std::move(more));
    }
    threads.setMaxThreadCount(qMax(1, int(idleDetectors.size())));
}

DecodePool::~DecodePool()
{
    threads.clear();
    threads.waitForDone();
}

bool DecodePool::usesModels() const
{
    return withModels;
}

void DecodePool::add(const QString &picturePath)
{
    pending.enqueue(QtConcurrent::run(&threads, [this, picturePath] { return decode(picturePath); }));
}

QString DecodePool::takeNext()
{
    return pending.isEmpty() ? QString() : pending.dequeue().result();
}

QString DecodePool::decode(const QString &picturePath)
{
    std::unique_ptr<cv::wechat_qrcode::WeChatQRCode> detector;
    {
        QMutexLocker lock(&idleMutex);
        if (idleDetectors.empty())
            return QString();
        detector = std::move(idleDetectors.back());
        idleDetectors.pop_back();
    }
    const QString text = decodeQrImage(picturePath, *detector);
    QMutexLocker lock(&idleMutex);
    idleDetectors.push_back(std::move(detector));
    return text;
}
