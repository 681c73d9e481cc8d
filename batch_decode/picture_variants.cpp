#include "batch_decode/picture_variants.h"

#include "batch_decode/cnn_reader.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

namespace {

constexpr double variantPixels = 2'000'000;

cv::Matx33d scaling(double factor)
{
    return cv::Matx33d(factor, 0, 0, 0, factor, 0, 0, 0, 1);
}

// The codes found in a variant, their corners taken back into the picture by the transform.
QList<FoundCode> readMapped(CnnReader &cnn, const cv::Mat &variant, const cv::Matx33d &toPicture)
{
    QList<FoundCode> codes = cnn.read(variant);
    for (FoundCode &code : codes) {
        std::vector<cv::Point2d> corners, mapped;
        for (const QPointF &corner : code.corners)
            corners.emplace_back(corner.x(), corner.y());
        cv::perspectiveTransform(corners, mapped, toPicture);
        code.corners.clear();
        for (const cv::Point2d &corner : mapped)
            code.corners << QPointF(corner.x, corner.y);
    }
    return codes;
}

// Turned by 45 degrees about the centre onto a canvas that holds all of it, at
// 1.5 times the size (the turned modules need more pixels) unless that passes
// the variant size.
QList<FoundCode> readTurned(CnnReader &cnn, const cv::Mat &base, const cv::Matx33d &baseToPicture)
{
    const double diagonal = (base.cols + base.rows) / std::sqrt(2.0);
    const double factor = std::min(1.5, std::sqrt(variantPixels) / diagonal);
    const int side = int(std::ceil(diagonal * factor));
    cv::Mat turn = cv::getRotationMatrix2D(cv::Point2f(base.cols / 2.0f, base.rows / 2.0f), 45, factor);
    turn.at<double>(0, 2) += side / 2.0 - base.cols / 2.0;
    turn.at<double>(1, 2) += side / 2.0 - base.rows / 2.0;
    cv::Mat turned;
    cv::warpAffine(base, turned, turn, cv::Size(side, side), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
    cv::Matx33d forward = cv::Matx33d::eye();
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c)
            forward(r, c) = turn.at<double>(r, c);
    }
    return readMapped(cnn, turned, baseToPicture * forward.inv());
}

// The quadrilateral OpenCV's finder-pattern detector outlines, made a square
// with a quiet zone around it.
QList<FoundCode> readRectified(CnnReader &cnn, const cv::Mat &base, const cv::Matx33d &baseToPicture)
{
    std::vector<cv::Point2f> quad;
    if (!cv::QRCodeDetector().detect(base, quad) || quad.size() != 4 || cv::contourArea(quad) < 10 * 10)
        return QList<FoundCode>();
    constexpr float side = 400, margin = 60;
    const std::vector<cv::Point2f> square{{margin, margin}, {margin + side, margin}, {margin + side, margin + side}, {margin, margin + side}};
    const cv::Matx33d toSquare = cv::getPerspectiveTransform(quad, square);
    cv::Mat rectified;
    cv::warpPerspective(base, rectified, toSquare, cv::Size(int(side + 2 * margin), int(side + 2 * margin)), cv::INTER_LINEAR,
                        cv::BORDER_CONSTANT, cv::Scalar(255));
    return readMapped(cnn, rectified, baseToPicture * toSquare.inv());
}

}

QList<FoundCode> readPictureVariant(const cv::Mat &grey, CnnReader &cnn, PictureVariant variant)
{
    cv::Mat variantPicture;
    if (variant == PictureVariant::Enlarged) {
        if (std::max(grey.cols, grey.rows) >= 400)
            return QList<FoundCode>();
        cv::resize(grey, variantPicture, cv::Size(), 3, 3, cv::INTER_CUBIC);
        return readMapped(cnn, variantPicture, scaling(1.0 / 3));
    }
    cv::Mat base = grey;
    cv::Matx33d baseToPicture = cv::Matx33d::eye();
    if (double(grey.total()) > variantPixels) {
        const double factor = std::sqrt(variantPixels / double(grey.total()));
        cv::resize(grey, base, cv::Size(), factor, factor, cv::INTER_AREA);
        baseToPicture = scaling(double(grey.cols) / base.cols);
    }
    switch (variant) {
    case PictureVariant::Thickened:
        cv::erode(base, variantPicture, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2, 2)));
        return readMapped(cnn, variantPicture, baseToPicture);
    case PictureVariant::Turned:
        return readTurned(cnn, base, baseToPicture);
    default:
        return readRectified(cnn, base, baseToPicture);
    }
}

QList<FoundCode> readPictureVariants(const cv::Mat &grey, CnnReader &cnn)
{
    for (const PictureVariant variant : {PictureVariant::Thickened, PictureVariant::Enlarged, PictureVariant::Turned, PictureVariant::Rectified}) {
        const QList<FoundCode> codes = readPictureVariant(grey, cnn, variant);
        if (!codes.isEmpty())
            return codes;
    }
    return QList<FoundCode>();
}
