#include "render/qr_style_record.h"

#include "common/heap_reuse.h"
#include "common/pixel_budget.h"
#include "common/product_site.h"
#include "render/background_composer.h"
#include "render/background_picture.h"
#include "render/image_file.h"
#include "render/logo_painter.h"
#include "render/qr_renderer.h"

QrStyleRecord grownFor(const QrStyleRecord &style, int symbolWidth)
{
    const int side = style.codeSize();
    const int needed = grownCodeSize(side, symbolWidth);
    if (side < 1 || needed == side)
        return style;
    const double factor = double(needed) / side;
    const auto scaled = [factor](int value) { return qRound(value * factor); };
    QrStyleRecord grown = style;
    grown.margin = scaled(style.margin);
    grown.imageSize = style.margin > 0 ? needed + 2 * grown.margin : needed;
    grown.labelPointSize = scaled(style.labelPointSize);
    grown.labelLetterSpacing = scaled(style.labelLetterSpacing);
    if (style.logoWidth >= 1 && style.logoHeight >= 1) {
        grown.logoWidth = scaled(style.logoWidth);
        grown.logoHeight = scaled(style.logoHeight);
    }
    return grown;
}

QrStyleRecord::QrStyleRecord()
{
    canvasColor.setNamedColor(QStringLiteral("#ffffff"));
    logoFrameColor.setNamedColor(QStringLiteral("#ffffff"));
    eyeOuterColor.setNamedColor(QStringLiteral("#000000"));
    eyeInnerColor.setNamedColor(QStringLiteral("#000000"));
    lightModuleColor.setNamedColor(QStringLiteral("#ffffff"));
    darkModuleColor.setNamedColor(QStringLiteral("#000000"));
    labelColor.setNamedColor(QStringLiteral("#000000"));
}

bool QrStyleRecord::render(const QString &outputPath)
{
    // Freed pictures were faulted in again for every code: five times the time of drawing it.
    static const bool memoryKept = (keepFreedMemoryInHeap(), true);
    Q_UNUSED(memoryKept)
    if (content.isEmpty())
        content = productSiteUrl();
    canvasColor.setAlphaF(qBound(0.0, canvasAlpha, 1.0));

    const PixelHold pixelHold;
    QImage code;
    int symbolWidth = 0;
    QrStyleRecord style = *this;
    QImage logo = logoImage;
    BackgroundPicture background = backgroundPicture;
    {
        const QrSymbol symbol = encodeSymbol(*this);
        if (!symbol)
            return false;
        // A code without the logo or background it was asked for would pass for a
        // good one: a picture that cannot be read fails the code.
        if (logo.isNull() && !logoPath.isEmpty() && (logo = readImageFile(logoPath)).isNull())
            return false;
        if (background.isNull() && !backgroundPath.isEmpty()
            && !readBackgroundPicture(backgroundPath, backgroundSuffix == QLatin1String("gif"), &background, nullptr))
            return false;
        symbolWidth = symbol->width;
        style = grownFor(*this, symbolWidth);
        if (!background.isNull() && !canvasFitsOn(style, background.size()))
            return false;
        // Rows drawn at once share the memory: a large one waits for room.
        const QSize backgroundSize = background.size();
        PixelBudget::hold(qint64(style.imageSize) * style.canvasHeight()
                          + qint64(backgroundSize.width()) * backgroundSize.height() * background.frames.size());
        const int side = style.codeSize();
        if (side < 1)
            return false;
        code = drawCode(style, *symbol, side);
    }
    if (code.isNull())
        return false;
    if (!logo.isNull())
        drawLogo(code, logo, style, symbolWidth);

    const QImage canvas = drawOutputCanvas(style, code);
    if (background.isNull())
        return writeImageFile(canvas, outputPath);
    return saveOnBackground(background, canvas, style, outputPath);
}
