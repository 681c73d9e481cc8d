#include "tests/support/test_support.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <zbar.h>

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
    // zbar wants the rows packed without padding.
    QByteArray grey;
    grey.reserve(page.width() * page.height());
    for (int y = 0; y < page.height(); ++y)
        grey.append(reinterpret_cast<const char *>(page.constScanLine(y)), page.width());
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    zbar::Image image(unsigned(page.width()), unsigned(page.height()), "Y800", grey.constData(),
                      unsigned(grey.size()));
    if (scanner.scan(image) != 1)
        return QString();
    return QString::fromStdString(image.symbol_begin()->get_data());
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
