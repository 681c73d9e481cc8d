#include "tests/support/test_support.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <opencv2/wechat_qrcode.hpp>

#include <csignal>
#include <sys/resource.h>

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
    const int border = 60;
    QImage page(picture.width() + 2 * border, picture.height() + 2 * border, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.drawImage(border, border, picture);
    painter.end();
    const cv::Mat gray(page.height(), page.width(), CV_8UC1, page.bits(), size_t(page.bytesPerLine()));
    cv::wechat_qrcode::WeChatQRCode detector;
    const std::vector<std::string> texts = detector.detectAndDecode(gray);
    return texts.size() == 1 ? QString::fromStdString(texts.front()) : QString();
}

bool withFileSizeLimit(qint64 bytes, const std::function<bool()> &call)
{
    rlimit normal;
    getrlimit(RLIMIT_FSIZE, &normal);
    const rlimit limited{rlim_t(bytes), normal.rlim_max};
    // Writes past the limit then fail instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool result = call();
    setrlimit(RLIMIT_FSIZE, &normal);
    return result;
}
