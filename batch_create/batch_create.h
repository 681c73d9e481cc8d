#pragma once

#include "common/batch_shard.h"

#include "batch_create/batch_composition.h"
#include "common/batch_worker.h"
#include "style/style_presets.h"

#include <QString>

// The batch generation worker: one captioned QR code picture per data row of a
// CSV file, and an error log of the rows that gave none. Created without parent
// for one run; deletes itself when the run ends.
class BatchCreate : public BatchWorker
{
    Q_OBJECT

public:
    // Logo and background for every code of the run; set before the run starts.
    // Without them the codes are the preset's PNG pictures.
    void setComposition(const BatchComposition &composition);
    // The look of every code of the run; the batch preset when never set.
    void setStyle(const BatchStyle &style);
    // The sheet read from a workbook; the first visible one when never set.
    void setSheet(const QString &sheet);
    // Rows drawn at once; 0, the default, draws as many as the machine has cores.
    // The files and reports are the same for every number.
    void setJobs(int jobs);
    // Only this share of the rows (pictures) is done; by default all of them.
    void setShard(const BatchShard &shard) { this->shard = shard; }
    // Rows whose picture is already in the save folder are left as they are and
    // counted apart, so that a stopped run can be resumed; by default they are replaced.
    void setSkipExisting(bool skip);
    // The files' format: "png" (the default; "gif" on an animated background),
    // "svg" or "pdf". A vector format refuses the rows of an animated background.
    void setFormat(const QString &format);

public slots:
    // jiema_path is the CSV file or workbook. Sends every report of the run, then deletes itself.
    void batchStart(QString jiema_path, QString save_path, QString style_type);

private:
    void run(const QString &csvPath, const QString &savePath, const QString &styleType);

    BatchComposition composition;
    BatchStyle style = batchPreset();
    int jobs = 0;
    BatchShard shard;
    bool skipExisting = false;
    QString format = QStringLiteral("png");
    QString sheet;
};
