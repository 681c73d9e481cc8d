// Makes the picture sets of bench/decode:
//   decode_pictures photos <folder of photos> <out>   each photo as PNG (the peers read no webp)
//   decode_pictures degrade <folder of codes> <out>    each code made hard to read in one of eight ways
//   decode_pictures large <folder of photos> <count> <out>   camera-sized JPEG photos, 4000 x 3000
//   decode_pictures nocode <folder of photos> <count> <out>  photos of 2000 x 1500 with their tiles shuffled: no code left
#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>

namespace {

cv::Mat toBgr(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    cv::Mat bgr;
    cv::cvtColor(cv::Mat(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar *>(rgb.constBits()), size_t(rgb.bytesPerLine())),
                 bgr, cv::COLOR_RGB2BGR);
    return bgr;
}

QStringList pictures(const QString &folder)
{
    return QDir(folder).entryList({"*.png", "*.jpg", "*.webp"}, QDir::Files, QDir::Name);
}

// Severity grows with the picture's rank within its kind, so that each kind runs
// from easy to beyond what any reader can do.
cv::Mat degrade(const cv::Mat &code, int kind, double t, cv::RNG &rng, std::vector<int> &jpeg)
{
    cv::Mat out;
    switch (kind) {
    case 0: // out of focus
        cv::GaussianBlur(code, out, cv::Size(), 3 + 6 * t);
        break;
    case 1: { // sensor noise
        cv::Mat noise(code.size(), CV_16SC3), wide;
        cv::randn(noise, 0, 40 + 80 * t);
        code.convertTo(wide, CV_16SC3);
        wide += noise;
        wide.convertTo(out, CV_8UC3);
        break;
    }
    case 2: { // taken at an angle
        const float w = float(code.cols - 1), h = float(code.rows - 1), s = float(0.05 + 0.25 * t);
        const cv::Point2f from[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        cv::Point2f to[4];
        for (int i = 0; i < 4; ++i)
            to[i] = from[i] + cv::Point2f(rng.uniform(-s, s) * w, rng.uniform(-s, s) * h);
        cv::warpPerspective(code, out, cv::getPerspectiveTransform(from, to), code.size(), cv::INTER_LINEAR,
                            cv::BORDER_CONSTANT, cv::Scalar(150, 150, 150));
        break;
    }
    case 3: // faded print: dark modules barely darker than the paper
        code.convertTo(out, CV_8UC3, (40 - 34 * t) / 255, 120);
        break;
    case 4: // far away
        cv::resize(code, out, cv::Size(), 0.3 - 0.2 * t, 0.3 - 0.2 * t, cv::INTER_AREA);
        break;
    case 5: // light modules on a dark ground, slightly soft
        cv::GaussianBlur(code, out, cv::Size(), 0.5 + 3 * t);
        cv::bitwise_not(out, out);
        break;
    case 6: // a small JPEG at quality 30
        cv::resize(code, out, cv::Size(), 0.5 - 0.3 * t, 0.5 - 0.3 * t, cv::INTER_AREA);
        jpeg = {cv::IMWRITE_JPEG_QUALITY, 30};
        break;
    default: { // crumpled paper: the picture bent in waves
        cv::Mat mapX(code.size(), CV_32F), mapY(code.size(), CV_32F);
        const double amplitude = 2 + 10 * t, period = code.cols / 12.0;
        for (int y = 0; y < code.rows; ++y) {
            for (int x = 0; x < code.cols; ++x) {
                mapX.at<float>(y, x) = float(x + amplitude * std::sin(y / period));
                mapY.at<float>(y, x) = float(y + amplitude * std::sin(x / (period * 1.3)));
            }
        }
        cv::remap(code, out, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255));
        break;
    }
    }
    return out;
}

}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args.at(0) == "photos") {
        for (const QString &name : pictures(args.at(1))) {
            if (!QImage(QDir(args.at(1)).filePath(name)).save(QDir(args.at(2)).filePath(QFileInfo(name).completeBaseName() + ".png")))
                return 1;
        }
        return 0;
    }
    if (args.size() == 3 && args.at(0) == "degrade") {
        const QStringList codes = pictures(args.at(1));
        const int kinds = 8;
        cv::RNG rng(20240305);
        for (int i = 0; i < codes.size(); ++i) {
            const cv::Mat code = toBgr(QImage(QDir(args.at(1)).filePath(codes.at(i))));
            const int perKind = (codes.size() + kinds - 1) / kinds;
            std::vector<int> jpeg;
            const cv::Mat hard = degrade(code, i % kinds, double(i / kinds) / qMax(1, perKind - 1), rng, jpeg);
            const QString name = QFileInfo(codes.at(i)).completeBaseName() + (jpeg.empty() ? ".png" : ".jpg");
            if (!cv::imwrite(QFile::encodeName(QDir(args.at(2)).filePath(name)).toStdString(), hard, jpeg))
                return 1;
        }
        return 0;
    }
    if (args.size() == 4 && args.at(0) == "large") {
        const QStringList photos = pictures(args.at(1));
        cv::RNG rng(7);
        for (int i = 0; i < args.at(2).toInt() && !photos.isEmpty(); ++i) {
            cv::Mat wide, noise(3000, 4000, CV_16SC3), photo;
            cv::resize(toBgr(QImage(QDir(args.at(1)).filePath(photos.at(i % photos.size())))), photo, noise.size(), 0, 0, cv::INTER_CUBIC);
            photo.convertTo(wide, CV_16SC3);
            rng.fill(noise, cv::RNG::NORMAL, 0, 4);
            cv::Mat(wide + noise).convertTo(photo, CV_8UC3);
            const QString name = QStringLiteral("large%1.jpg").arg(i + 1, 3, 10, QLatin1Char('0'));
            if (!cv::imwrite(QFile::encodeName(QDir(args.at(3)).filePath(name)).toStdString(), photo, {cv::IMWRITE_JPEG_QUALITY, 90}))
                return 1;
        }
        return 0;
    }
    if (args.size() == 4 && args.at(0) == "nocode") {
        const QStringList photos = pictures(args.at(1));
        cv::RNG rng(11);
        for (int i = 0; i < args.at(2).toInt() && !photos.isEmpty(); ++i) {
            cv::Mat photo, shuffled(1500, 2000, CV_8UC3);
            cv::resize(toBgr(QImage(QDir(args.at(1)).filePath(photos.at(i % photos.size())))), photo, shuffled.size(), 0, 0, cv::INTER_CUBIC);
            // Tiles of 50 pixels, each put at a random place: the textures of a photo, no finder pattern whole.
            for (int y = 0; y < shuffled.rows; y += 50) {
                for (int x = 0; x < shuffled.cols; x += 50)
                    photo(cv::Rect(rng.uniform(0, 39) * 50, rng.uniform(0, 29) * 50, 50, 50)).copyTo(shuffled(cv::Rect(x, y, 50, 50)));
            }
            const QString name = QStringLiteral("nocode%1.jpg").arg(i + 1, 3, 10, QLatin1Char('0'));
            if (!cv::imwrite(QFile::encodeName(QDir(args.at(3)).filePath(name)).toStdString(), shuffled, {cv::IMWRITE_JPEG_QUALITY, 90}))
                return 1;
        }
        return 0;
    }
    fputs("usage: decode_pictures photos|degrade <in> <out> | large|nocode <in> <count> <out>\n", stderr);
    return 2;
}
