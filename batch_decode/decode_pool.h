#pragma once

#include <QFuture>
#include <QMutex>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <vector>

namespace cv {
namespace wechat_qrcode {
class WeChatQRCode;
}
}

// Decodes pictures on a few threads while the caller writes earlier results.
// Every thread works with a detector built once for the whole pool; results are
// taken in the order the pictures were added, so output never depends on timing.
class DecodePool
{
public:
    // Builds the detectors from the model files, or without models when the list
    // is empty or the files cannot be loaded.
    explicit DecodePool(const QStringList &modelPaths);
    // Drops pictures not yet started and waits for those being decoded.
    ~DecodePool();

    DecodePool(const DecodePool &) = delete;
    DecodePool &operator=(const DecodePool &) = delete;

    // False when decoding runs without the model files.
    bool usesModels() const;
    void add(const QString &picturePath);
    // Text of the oldest added picture not yet taken; waits for it.
    QString takeNext();

private:
    QString decode(const QString &picturePath);

    bool withModels = false;
    QMutex idleMutex;
    std::vector<std::unique_ptr<cv::wechat_qrcode::WeChatQRCode>> idleDetectors;
    QQueue<QFuture<QString>> pending;
    QThreadPool threads;
};
