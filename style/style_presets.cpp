#include "style/style_presets.h"

namespace {

// A quiet zone of at least four modules whatever the symbol. The code carries one
// module of border itself; three more modules of the smallest symbol (21 modules
// and its border on a side of imageSize - 2 margin) take margin = 3 imageSize / 29
// pixels. Denser symbols have smaller modules, so more of them fit in the margin.
int quietMargin(int imageSize)
{
    return (imageSize * 3 + 28) / 29;
}

BatchStyle quietPreset()
{
    BatchStyle style = batchPreset();
    style.record.margin = quietMargin(style.record.imageSize);
    // A quiet zone has to stay light on whatever the picture is laid on.
    style.record.canvasAlpha = 1.0;
    return style;
}

BatchStyle roundedPreset()
{
    BatchStyle style = batchPreset();
    style.record.moduleShape = 2;
    style.record.eyeShape = 1;
    // Round marks leave gaps the canvas shows through.
    style.record.canvasAlpha = 1.0;
    return style;
}

BatchStyle brandPreset()
{
    BatchStyle style = batchPreset();
    QrStyleRecord &record = style.record;
    // A logo covers modules: level Q restores them.
    record.errorCorrectionLevel = 2;
    record.canvasAlpha = 1.0;
    record.moduleShape = 1;
    record.eyeShape = 2;
    record.darkModuleColor.setNamedColor(QStringLiteral("#1e3a8a"));
    record.eyeOuterColor.setNamedColor(QStringLiteral("#c2410c"));
    record.eyeInnerColor.setNamedColor(QStringLiteral("#1e3a8a"));
    record.labelColor.setNamedColor(QStringLiteral("#1e3a8a"));
    record.logoFrame = 1;
    return style;
}

BatchStyle printPreset()
{
    BatchStyle style = batchPreset();
    QrStyleRecord &record = style.record;
    record.imageSize = 1000;
    record.errorCorrectionLevel = 2;
    record.margin = quietMargin(record.imageSize);
    record.canvasAlpha = 1.0;
    record.labelPointSize = 60;
    record.labelLetterSpacing = 24;
    return style;
}

} // namespace

BatchStyle batchPreset()
{
    // Set in full, so that the batch look does not follow the record's defaults.
    BatchStyle style;
    QrStyleRecord &record = style.record;
    record.errorCorrectionLevel = 1;
    record.version = 0;
    record.margin = 0;
    record.imageSize = 500;
    record.codeOffsetX = 0;
    record.codeOffsetY = 0;
    record.codeRotation = 0;
    record.canvasColor.setNamedColor(QStringLiteral("#ffffff"));
    record.canvasAlpha = 0.1;
    record.logoWidth = 0;
    record.logoHeight = 0;
    record.logoFrame = 0;
    record.logoFrameColor.setNamedColor(QStringLiteral("#ffffff"));
    record.moduleShape = 0;
    record.eyeShape = 0;
    record.eyeOuterColor.setNamedColor(QStringLiteral("#000000"));
    record.eyeInnerColor.setNamedColor(QStringLiteral("#000000"));
    record.lightModuleColor.setNamedColor(QStringLiteral("#ffffff"));
    record.lightModuleSize = 50.0;
    record.darkModuleColor.setNamedColor(QStringLiteral("#000000"));
    record.darkModuleSize = 50.0;
    record.labelPointSize = 30;
    record.labelLetterSpacing = 12;
    record.labelColor.setNamedColor(QStringLiteral("#000000"));
    record.labelPosition = QStringLiteral("bottom");
    record.labelBold = 0;
    record.labelFontFamily = QStringLiteral("黑体");
    record.plainTimingModules = false;
    return style;
}

QVector<StylePreset> stylePresets()
{
    return {
        {QStringLiteral("default"), QStringLiteral("默认"),
         QStringLiteral("黑色方形码点，500 像素，名称在下方（不选样式时即为此样式）"), batchPreset()},
        {QStringLiteral("quiet"), QStringLiteral("留白"),
         QStringLiteral("默认样式，四周留出至少 4 个模块宽的白边"), quietPreset()},
        {QStringLiteral("rounded"), QStringLiteral("圆润"),
         QStringLiteral("相连的圆角码点，圆形定位点"), roundedPreset()},
        {QStringLiteral("brand"), QStringLiteral("品牌"),
         QStringLiteral("深蓝圆点，橙色圆角定位点，纠错等级 Q，Logo 带白色底框（配合 Logo 图片使用）"), brandPreset()},
        {QStringLiteral("print"), QStringLiteral("印刷"),
         QStringLiteral("1000 像素，纠错等级 Q，四周留白，适合印刷"), printPreset()},
    };
}

bool findStylePreset(const QString &name, BatchStyle *style)
{
    for (const StylePreset &preset : stylePresets()) {
        if (preset.name == name) {
            *style = preset.style;
            return true;
        }
    }
    return false;
}
