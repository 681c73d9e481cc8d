#pragma once

#include "common/batch_shard.h"

#include "batch_decode/detector_models.h"
#include "batch_decode/qr_image_decoder.h"
#include "common/batch_worker.h"

#include <QString>
#include <QStringList>

// Decodes every picture of a folder and of its immediate sub-folders into one CSV
// file per folder and an error log. Serves one run and then deletes itself.
class BatchJiema : public BatchWorker
{
    Q_OBJECT

public:
    // modelFolders: where to look for the detector's model files, first match wins.
    explicit BatchJiema(const QStringList &modelFolders = detectorModelFolders());
    void setEngines(DecodeEngines engines);
    // Pictures decoded at once; 0, the default, decodes as many as the machine has
    // cores. The files and reports are the same for every number.
    void setJobs(int jobs);
    // Every symbology ZXing-C++ knows, not QR codes alone.
    void setAllFormats(bool all);
    // Only this share of the rows (pictures) is done; by default all of them.
    void setShard(const BatchShard &shard) { this->shard = shard; }

public slots:
    // csv_parse "excel" writes every CSV of the run so that spreadsheets keep
    // digit strings as text; any other value writes plain CSV.
    void batchStart(QString jiema_path, QString save_path, QString csv_parse);

private:
    void run(const QString &jiemaPath, const QString &savePath, bool excel);

    QStringList modelFolders;
    DecodeEngines engines = DecodeEngines::Both;
    int jobs = 0;
    bool allFormats = false;
    BatchShard shard;
};
