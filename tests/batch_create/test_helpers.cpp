#include "tests/batch_create/test_helpers.h"

#include "batch_create/batch_create.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>

QStringList runGeneration(const QString &csvPath, const QString &savePath, const QString &styleType)
{
    QStringList reports;
    QPointer<BatchCreate> worker = new BatchCreate;
    QObject::connect(worker, &BatchCreate::returnResult, [&reports](const QString &type, const QString &message) {
        reports << type + QLatin1Char('|') + message;
    });
    worker->batchStart(csvPath, savePath, styleType);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (worker)
        reports << QStringLiteral("worker still alive");
    static const QRegularExpression seconds(QStringLiteral("^runtime\\|用时：[0-9.e+-]+ 秒$"));
    for (QString &report : reports) {
        if (seconds.match(report).hasMatch())
            report = QStringLiteral("runtime|*");
    }
    return reports;
}

QStringList rowReports(const QString &firstField, int done, int total)
{
    return {QStringLiteral("progress|正在生成：") + firstField, QStringLiteral("count|%1/%2").arg(done).arg(total)};
}

QStringList endReports(const QString &success)
{
    return {QStringLiteral("success|") + success, QStringLiteral("runtime|*"),
            QStringLiteral("progress|<div style='color:green'>操作完成</div>")};
}

QStringList pictureNames(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
}
