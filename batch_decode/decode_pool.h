#pragma once

#include "batch_decode/qr_image_decoder.h"

#include <QFuture>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>

class CnnReader;

// Decodes pictures on a few threads while the caller writes earlier results.
// Results are taken in the order the pictures were added, so output never depends
// on timing. Only a few pictures beyond the oldest one not yet taken are decoded
// ahead: memory does not grow with the number of pictures added.
class DecodePool
{
public:
    // modelPaths: the CNN detector's model files, as findDetectorModels gives them.
    // jobs: pictures decoded at once; 0 decodes as many as the machine has cores.
    DecodePool(const QStringList &modelPaths, DecodeEngines engines, int jobs = 0, bool allFormats = false);
    // Drops pictures not yet started and waits for those being decoded.
    ~DecodePool();

    DecodePool(const DecodePool &) = delete;
    DecodePool &operator=(const DecodePool &) = delete;

    // True when the engines include the CNN detector but its model files are
    // missing or cannot be loaded; ZXing-C++ then reads alone.
    bool lacksModels() const;
    void add(const QString &picturePath);
    // Text of the oldest added picture not yet taken; waits for it.
    QString takeNext();

private:
    void startWaiting();

    const DecodeEngines engines;
    const bool allFormats;
    std::unique_ptr<CnnReader> cnn;
    bool modelsMissing = false;
    QQueue<QString> waiting;
    QQueue<QFuture<QString>> started;
    QThreadPool threads;
};
