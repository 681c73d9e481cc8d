#include "render/qr_style_record.h"

#include "app/product_site.h"
#include "render/image_file.h"
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
    {
        // The full-size canvas can take hundreds of megabytes: keep it only until scaled.
        const QrSymbol symbol = encodeSymbol(*this);
        if (!symbol)
            return false;
        const QImage codeCanvas = drawCodeCanvas(*this, *symbol);
        const int side = codeSize();
        if (codeCanvas.isNull() || side < 1)
            return false;
        code = codeCanvas.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (code.isNull())
        return false;

    canvasColor.setAlphaF(qBound(0.0, canvasAlpha, 1.0));
    const QImage canvas = drawOutputCanvas(*this, code);
    return writeImageFile(canvas, outputPath);
}
