#pragma once

#include <QStringList>

#include <memory>

namespace cv {
namespace wechat_qrcode {
class WeChatQRCode;
}
}

// Folders that may hold the detector's four model files, in the order they are
// tried: the working folder, then each of programDataFolders().
QStringList detectorModelFolders();

// Paths of the four model files (detector description and weights, then
// super-resolution description and weights) in the first folder that holds all
// of them; empty when no folder does.
QStringList findDetectorModels(const QStringList &folders);

// A detector using the four model files; null when they cannot be loaded.
std::unique_ptr<cv::wechat_qrcode::WeChatQRCode> buildDetector(const QStringList &modelPaths);
