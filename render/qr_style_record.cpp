#include "render/qr_style_record.h"

#include "common/heap_reuse.h"
#include "common/pixel_budget.h"
#include "common/product_site.h"
#include "render/background_composer.h"
#include "render/background_picture.h"
#include "render/image_file.h"
#include "render/logo_painter.h"
#include "render/label_painter.h"
#include "render/prepared_code.h"
#include "render/print_size.h"
#include "render/qr_renderer.h"
#include "render/vector_painter.h"

#include <QFileInfo>

namespace {

// The style drawn factor times as large: margin, caption and logo with the code.
QrStyleRecord scaledBy(const QrStyleRecord &style, double factor)
{
    const auto scaled = [factor](int value) { return qRound(value * factor); };
    QrStyleRecord grown = style;
    grown.margin = scaled(style.margin);
    grown.imageSize = scaled(style.imageSize);
    grown.labelPointSize = scaled(style.labelPointSize);
    grown.labelLetterSpacing = scaled(style.labelLetterSpacing);
    if (style.logoWidth >= 1 && style.logoHeight >= 1) {
        grown.logoWidth = scaled(style.logoWidth);
        grown.logoHeight = scaled(style.logoHeight);
    }
    return grown;
}

} // namespace

QrStyleRecord grownFor(const QrStyleRecord &style, int symbolWidth)
{
    const int side = style.codeSize();
    const int needed = grownCodeSize(side, symbolWidth);
    if (side < 1 || needed == side)
        return style;
    QrStyleRecord grown = scaledBy(style, double(needed) / side);
    grown.imageSize = style.margin > 0 ? needed + 2 * grown.margin : needed;
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

bool QrStyleRecord::prepare(PreparedCode *code, const QString &format)
{
    // Freed pictures were faulted in again for every code: five times the time of drawing it.
    static const bool memoryKept = (keepFreedMemoryInHeap(), true);
    Q_UNUSED(memoryKept)
    if (content.isEmpty())
        content = productSiteUrl();
    canvasColor.setAlphaF(qBound(0.0, canvasAlpha, 1.0));

    code->symbol = encodeSymbol(*this);
    if (!code->symbol)
        return false;
    // A code without the logo or background it was asked for would pass for a
    // good one: a picture that cannot be read fails the code.
    code->logo = logoImage;
    if (code->logo.isNull() && !logoPath.isEmpty() && (code->logo = readImageFile(logoPath)).isNull())
        return false;
    code->background = backgroundPicture;
    if (code->background.isNull() && !backgroundPath.isEmpty()
        && !readBackgroundPicture(backgroundPath, backgroundSuffix == QLatin1String("gif"), &code->background, nullptr))
        return false;
    // Vector formats have no frames to animate.
    if (code->background.animated && isVectorFormat(format))
        return false;
    QrStyleRecord style = *this;
    // A picture printed at a size gets the pixels of its resolution; on a
    // background the code keeps its background pixels and the resolution follows.
    if (printWidth > 0 && format == QLatin1String("png") && code->background.isNull() && imageSize > 0)
        style = scaledBy(*this, double(printPixels(printWidth, printDpi)) / imageSize);
    code->style = grownFor(style, code->symbol->width);
    if (!code->background.isNull() && !canvasFitsOn(code->style, code->background.size()))
        return false;
    return code->style.codeSize() >= 1;
}

double QrStyleRecord::printedModuleWidth(const PreparedCode &code) const
{
    if (printWidth <= 0 || !code.symbol)
        return 0;
    const QrStyleRecord &drawn = code.style;
    const double codeWidth = printWidth * drawn.codeSize() / drawn.imageSize;
    return codeWidth * drawn.moduleSize / (double(code.symbol->width) * drawn.moduleSize + 100);
}

double QrStyleRecord::millimetresPerPixel(const PreparedCode &code) const
{
    if (printWidth > 0)
        return printWidth / code.style.imageSize;
    return millimetresPerInch / captionDpi;
}

bool QrStyleRecord::render(const QString &outputPath, double *printedModule)
{
    const QString format = QFileInfo(outputPath).suffix().toLower();
    PreparedCode prepared;
    if (!prepare(&prepared, format))
        return false;
    if (printedModule)
        *printedModule = printedModuleWidth(prepared);
    if (isVectorFormat(format))
        return writeVectorFile(outputPath, prepared, millimetresPerPixel(prepared) * prepared.outputSize().width());

    const QrStyleRecord &style = prepared.style;
    const int symbolWidth = prepared.symbol->width;
    // Rows drawn at once share the memory: a large one waits for room.
    const PixelHold pixelHold;
    const QSize backgroundSize = prepared.background.size();
    PixelBudget::hold(qint64(style.imageSize) * style.canvasHeight()
                      + qint64(backgroundSize.width()) * backgroundSize.height() * prepared.background.frames.size());
    QImage code = drawCode(style, *prepared.symbol, style.codeSize());
    prepared.symbol.reset();
    if (code.isNull())
        return false;
    if (!prepared.logo.isNull())
        drawLogo(code, prepared.logo, style, symbolWidth);

    QImage canvas = drawOutputCanvas(style, code);
    if (printWidth > 0 && !canvas.isNull()) {
        // The asked resolution exactly, unless the code grew to scan.
        const bool asked = style.imageSize == printPixels(printWidth, printDpi);
        const int resolution = asked ? dotsPerMeter(printDpi) : qRound(1000.0 / millimetresPerPixel(prepared));
        canvas.setDotsPerMeterX(resolution);
        canvas.setDotsPerMeterY(resolution);
    }
    if (prepared.background.isNull())
        return writeImageFile(canvas, outputPath);
    return saveOnBackground(prepared.background, canvas, style, outputPath);
}
