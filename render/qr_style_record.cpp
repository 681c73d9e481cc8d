#include "render/qr_style_record.h"

#include "common/product_site.h"
#include "render/background_composer.h"
#include "render/image_file.h"
#include "render/logo_painter.h"
#include "render/qr_renderer.h"

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
    if (content.isEmpty())
        content = productSiteUrl();

    QImage code;
    int symbolWidth = 0;
    {
        // The full-size canvas can take hundreds of megabytes: keep it only until scaled.
        const QrSymbol symbol = encodeSymbol(*this);
        if (!symbol)
            return false;
        symbolWidth = symbol->width;
        const QImage codeCanvas = drawCodeCanvas(*this, *symbol);
        const int side = codeSize();
        if (codeCanvas.isNull() || side < 1)
            return false;
        code = codeCanvas.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (code.isNull())
        return false;

    // Pictures that cannot be read are left out rather than failing the code.
    const QImage background = readImageFile(backgroundPath);
    const QImage logo = readImageFile(logoPath);
    if (!logo.isNull())
        drawLogo(code, logo, *this, symbolWidth);

    canvasColor.setAlphaF(qBound(0.0, canvasAlpha, 1.0));
    const QImage canvas = drawOutputCanvas(*this, code);
    if (background.isNull())
        return writeImageFile(canvas, outputPath);
    if (backgroundSuffix == QLatin1String("gif"))
        return saveOnAnimatedBackground(background, canvas, *this, outputPath);
    return saveOnStillBackground(background, canvas, *this, outputPath);
}
