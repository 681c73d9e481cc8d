#pragma once

#include "style/batch_style.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <optional>

class CnnReader;

// Draws a style's preview away from the calling thread, one at a time, and checks
// that the program's own decoder reads it. A request made while a preview is
// being drawn waits, replacing any request that waited before it, and the
// overtaken preview is dropped: only the newest settings are ever shown.
class StylePreview : public QObject
{
    Q_OBJECT

public:
    explicit StylePreview(QObject *parent = nullptr);
    // Waits for the preview in hand.
    ~StylePreview() override;

    // Draws the first row of the CSV file, or of the workbook's sheet (empty for its
    // first visible one), in the style; a sample without one.
    void request(const BatchStyle &style, const QString &csvPath, const QString &sheet = QString());

signals:
    // The picture exactly as the batch would write it. problem is empty when the
    // decoder reads the row's content back from it, otherwise the Chinese warning.
    void ready(const QImage &picture, const QString &problem);

private:
    struct Job
    {
        BatchStyle style;
        QString csvPath;
        QString sheet;
    };
    struct Result
    {
        QImage picture;
        QString problem;
    };

    void start(const Job &job);
    void finished();
    Result draw(const Job &job);

    // One thread: a newer request waits for the picture being drawn.
    QThreadPool pool;
    QFutureWatcher<Result> watcher;
    std::optional<Job> waiting;
    std::unique_ptr<CnnReader> cnn;
};
