#include "render/vector_painter.h"

#include "common/guarded_file.h"
#include "render/background_composer.h"
#include "render/label_painter.h"
#include "render/logo_painter.h"
#include "render/module_painter.h"
#include "render/prepared_code.h"
#include "render/print_size.h"

#include <QFileInfo>
#include <QHash>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

// Resolution of the PDF's drawing grid; coordinates are real numbers anyway.
constexpr int pdfResolution = 1200;
// The SVG declares its size in whole units of this resolution: micrometres.
constexpr int svgResolution = 25400;

// The code on its canvas of moduleSize units a module, one module of border.
void paintCode(QPainter &painter, const QrStyleRecord &style, const QRcode &symbol)
{
    const int m = style.moduleSize;
    const QPainterPath darkMark = moduleMarkPath(style, style.darkModuleSize);
    const QPainterPath lightMark = moduleMarkPath(style, style.lightModuleSize);
    QPainterPath plainSquare;
    plainSquare.addRect(0, 0, m, m);
    QHash<QString, QPainterPath> shaped;
    if (style.moduleShape == 2) {
        for (const QString &name : connectedShapeNames())
            shaped.insert(name, shapedModulePath(name));
    }
    // Square eyes of the modules' colour are their dark modules: drawn as part of
    // the modules' path, they leave no seam beside the modules either.
    const bool plainEyes = style.moduleShape == 0 && style.eyeShape == 0 && m == 50 && style.darkModuleSize >= m
        && style.eyeOuterColor == style.darkModuleColor && style.eyeInnerColor == style.darkModuleColor;
    // Touching shapes of one path, filled by the non-zero rule, print as one area.
    QPainterPath dark;
    QPainterPath plainDark;
    dark.setFillRule(Qt::WindingFill);
    plainDark.setFillRule(Qt::WindingFill);
    layOutStamps(style, symbol, [&](CodeStamp stamp, QPoint place, const QString &shape) {
        const QPointF at = place * m;
        switch (stamp) {
        case CodeStamp::Eye:
        case CodeStamp::Alignment:
            if (plainEyes) {
                // The eye stamp starts on the separator, the alignment stamp on its pattern.
                const QPoint first = stamp == CodeStamp::Eye ? place : place - QPoint(1, 1);
                const int side = stamp == CodeStamp::Eye ? 7 : 5;
                for (int row = first.y(); row < first.y() + side; ++row) {
                    for (int column = first.x(); column < first.x() + side; ++column) {
                        if (symbol.data[row * symbol.width + column] & 1)
                            dark.addPath(darkMark.translated(QPointF(column + 1, row + 1) * m));
                    }
                }
                if (stamp == CodeStamp::Eye) {
                    painter.save();
                    painter.translate(at);
                    paintEyeBackdrop(painter, style);
                    painter.restore();
                }
                break;
            }
            painter.save();
            painter.translate(at);
            if (stamp == CodeStamp::Eye)
                paintEye(painter, style);
            else
                paintAlignment(painter, style);
            painter.restore();
            break;
        case CodeStamp::LightModule: painter.fillPath(lightMark.translated(at), style.lightModuleColor); break;
        case CodeStamp::PlainLight: painter.fillPath(plainSquare.translated(at), Qt::white); break;
        case CodeStamp::PlainDark: plainDark.addPath(plainSquare.translated(at)); break;
        case CodeStamp::DarkModule:
            if (style.moduleShape != 2)
                dark.addPath(darkMark.translated(at));
            else
                dark.addPath(shaped.value(shape).translated(at));
            break;
        }
    });
    // Modules of the default size leave nothing between them: their outline is the
    // union, which also keeps the file small.
    if (style.moduleShape == 0 && style.darkModuleSize >= m)
        dark = dark.simplified();
    painter.fillPath(plainDark.simplified(), Qt::black);
    painter.fillPath(dark, style.darkModuleColor);
}

// The canvas with its code and caption, in canvas pixels.
void paintCanvas(QPainter &painter, const PreparedCode &code)
{
    const QrStyleRecord &style = code.style;
    painter.fillRect(QRectF(0, 0, style.imageSize, style.canvasHeight()), style.canvasColor);
    painter.save();
    painter.translate(codeOrigin(style));
    const double side = style.codeSize();
    painter.save();
    const double canvasSide = double(code.symbol->width) * style.moduleSize + 100;
    painter.scale(side / canvasSide, side / canvasSide);
    paintCode(painter, style, *code.symbol);
    painter.restore();
    if (!code.logo.isNull())
        paintLogo(painter, code.logo, style, code.symbol->width);
    painter.restore();
    if (!style.labelText.isEmpty())
        drawCaption(painter, style);
}

} // namespace

void paintOutput(QPainter &painter, const PreparedCode &code)
{
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (code.background.isNull()) {
        paintCanvas(painter, code);
        return;
    }
    painter.drawImage(QPointF(0, 0), code.background.frames.first());
    painter.save();
    painter.setTransform(canvasPlacement(code.style), true);
    paintCanvas(painter, code);
    painter.restore();
}

bool isVectorFormat(const QString &suffix)
{
    return suffix == QLatin1String("svg") || suffix == QLatin1String("pdf");
}

bool writeVectorFile(const QString &path, const PreparedCode &code, double widthMillimetres)
{
    if (code.background.animated || !code.symbol)
        return false;
    const QSize size = code.outputSize();
    if (size.isEmpty() || widthMillimetres <= 0)
        return false;
    const double heightMillimetres = widthMillimetres * size.height() / size.width();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return writeGuardedFile(path, [&](QIODevice *device) {
        if (suffix == QLatin1String("svg")) {
            QSvgGenerator svg;
            svg.setOutputDevice(device);
            // Declared in millimetres through the resolution, drawn in output pixels.
            svg.setResolution(svgResolution);
            svg.setSize(QSize(printPixels(widthMillimetres, svgResolution), printPixels(heightMillimetres, svgResolution)));
            svg.setViewBox(QRect(QPoint(0, 0), size));
            QPainter painter;
            if (!painter.begin(&svg))
                return false;
            paintOutput(painter, code);
            return painter.end();
        }
        if (suffix != QLatin1String("pdf"))
            return false;
        QPdfWriter pdf(device);
        pdf.setResolution(pdfResolution);
        pdf.setPageSize(QPageSize(QSizeF(widthMillimetres, heightMillimetres), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        const double scale = pdf.width() / double(size.width());
        painter.scale(scale, scale);
        paintOutput(painter, code);
        return painter.end();
    });
}
