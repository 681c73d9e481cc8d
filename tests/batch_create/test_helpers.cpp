#include "tests/batch_create/test_helpers.h"

#include "batch_create/batch_create.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>

#include <opencv2/wechat_qrcode.hpp>

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString decodeQrCode(const QString &path)
{
    const QImage picture(path);
    if (picture.isNull())
        return QString();
    // The code is drawn without a quiet zone on a nearly transparent canvas: put it
    // on white with room around it, as it would be printed.
    const int border = 60;
    QImage page(picture.width() + 2 * border, picture.height() + 2 * border, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.drawImage(border, border, picture);
    painter.end();
    const cv::Mat gray(page.height(), page.width(), CV_8UC1, page.bits(), size_t(page.bytesPerLine()));
    // Without model files the detector keeps to its classic finder-pattern search,
    // which shares nothing with the program's own decoding.
    cv::wechat_qrcode::WeChatQRCode detector;
    const std::vector<std::string> texts = detector.detectAndDecode(gray);
    return texts.size() == 1 ? QString::fromStdString(texts.front()) : QString();
}

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
