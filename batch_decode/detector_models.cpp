#include "batch_decode/detector_models.h"

#include "common/data_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <iterator>

#include <opencv2/wechat_qrcode.hpp>

namespace {

const char *const modelFileNames[] = {"detect.prototxt", "detect.caffemodel", "sr.prototxt", "sr.caffemodel"};
const QString modelFolderName = QStringLiteral("opencv_3rdparty");

}

QStringList detectorModelFolders()
{
    QStringList folders{QDir::current().filePath(modelFolderName)};
    for (const QString &dataFolder : programDataFolders())
        folders << dataFolder + QLatin1Char('/') + modelFolderName;
    return folders;
}

QStringList findDetectorModels(const QStringList &folders)
{
    for (const QString &folder : folders) {
        QStringList paths;
        for (const char *name : modelFileNames) {
            const QFileInfo file(QDir(folder).filePath(QLatin1String(name)));
            if (file.isFile() && file.isReadable())
                paths << file.filePath();
        }
        if (paths.size() == int(std::size(modelFileNames)))
            return paths;
    }
    return QStringList();
}

std::unique_ptr<cv::wechat_qrcode::WeChatQRCode> buildDetector(const QStringList &modelPaths)
{
    // Without its files the detector would fall back to a mode without networks.
    if (modelPaths.size() != int(std::size(modelFileNames)))
        return nullptr;
    std::string paths[4];
    for (int i = 0; i < 4; ++i)
        paths[i] = QFile::encodeName(modelPaths.at(i)).toStdString();
    try {
        return std::make_unique<cv::wechat_qrcode::WeChatQRCode>(paths[0], paths[1], paths[2], paths[3]);
    } catch (const std::exception &) {
        return nullptr;
    }
}
