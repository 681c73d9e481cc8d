#pragma once

#include "render/background_picture.h"

#include <QColor>
#include <QImage>
#include <QString>

// Everything needed to draw and save one styled QR code.
struct QrStyleRecord
{
    QrStyleRecord();

    // Draws the code and writes it to outputPath, in the format its suffix names,
    // or as an animated GIF on the frames of a "gif" background. A code with fewer
    // than four pixels per module is drawn larger, caption and margin with it.
    // False when the content cannot be encoded, the margins leave no room for the
    // code, a logo or background cannot be read, the canvas does not lie wholly on
    // the background, or the picture cannot be written; no partial file is left
    // then. An empty content is replaced by the product site address first. Safe
    // to call on several threads at once, each with its own record.
    bool render(const QString &outputPath);

    bool caseSensitive = true;
    int encodeMode = 2;
    int errorCorrectionLevel = 1;
    int version = 0;
    int moduleSize = 50;
    int margin = 0;
    QString content;
    int imageSize = 300;
    QString backgroundPath;
    QString backgroundSuffix;
    int codeOffsetX = 0;
    int codeOffsetY = 0;
    int codeRotation = 0;
    QColor canvasColor;
    double canvasAlpha = 0.5;
    QString logoPath;
    int logoWidth = 0;
    int logoHeight = 0;
    int logoFrame = 0;
    QColor logoFrameColor;
    int moduleShape = 0;
    int eyeShape = 0;
    double eyeBackdropAlpha = 0.5;
    QColor eyeOuterColor;
    QColor eyeInnerColor;
    QColor lightModuleColor;
    double lightModuleSize = 17.0;
    QColor darkModuleColor;
    double darkModuleSize = 50.0;
    QString labelText;
    int labelPointSize = 14;
    int labelLetterSpacing = 2;
    QColor labelColor;
    QString labelPosition = QStringLiteral("bottom");
    int labelBold = 0;
    QString labelFontFamily = QStringLiteral("SourceHanSerifCN");
    bool plainTimingModules = false;
    // Pictures already read, shared by the codes of a run; they take the place of
    // logoPath and backgroundPath.
    QImage logoImage;
    BackgroundPicture backgroundPicture;

    // Side of the code in pixels: the canvas width less the margins.
    int codeSize() const { return margin > 0 ? imageSize - 2 * margin : imageSize; }
    // Height of the output canvas: a caption above or below adds two point sizes.
    int canvasHeight() const
    {
        return !labelText.isEmpty() && labelPosition != QLatin1String("center") ? imageSize + 2 * labelPointSize : imageSize;
    }
};

// The record as drawn for a code of symbolWidth modules: a code too dense for its
// side grows, margin, caption and logo with it, until every module has the
// pixels it needs to scan.
QrStyleRecord grownFor(const QrStyleRecord &style, int symbolWidth);
