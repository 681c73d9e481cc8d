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

// The joint outline of the filled cells of a square grid of n cells a side, cell
// places given in units of side: one loop for each edge of an area, each hole
// included, so that the areas fill as one whatever the fill rule.
QPainterPath cellOutline(const QVector<bool> &cells, int n, double side)
{
    const auto filled = [&](int x, int y) { return x >= 0 && y >= 0 && x < n && y < n && cells[y * n + x]; };
    const auto vertex = [n](int x, int y) { return quint32(y * (n + 1) + x); };
    // Every edge between a filled and an empty cell, by its start, the filled cell
    // on its right.
    QMultiHash<quint32, quint32> edges;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if (!filled(x, y))
                continue;
            if (!filled(x, y - 1))
                edges.insert(vertex(x, y), vertex(x + 1, y));
            if (!filled(x + 1, y))
                edges.insert(vertex(x + 1, y), vertex(x + 1, y + 1));
            if (!filled(x, y + 1))
                edges.insert(vertex(x + 1, y + 1), vertex(x, y + 1));
            if (!filled(x - 1, y))
                edges.insert(vertex(x, y + 1), vertex(x, y));
        }
    }
    const auto point = [n, side](quint32 v) { return QPointF(v % (n + 1), v / (n + 1)) * side; };
    QPainterPath path;
    // Each vertex has as many edges in as out: a walk from a start ends there.
    while (!edges.isEmpty()) {
        const auto first = edges.begin();
        const quint32 start = first.key();
        quint32 previous = start;
        quint32 current = first.value();
        edges.erase(first);
        path.moveTo(point(start));
        while (current != start) {
            const auto next = edges.find(current);
            const quint32 following = next.value();
            edges.erase(next);
            // Corners only: points along a straight run are left out.
            if (current - previous != following - current)
                path.lineTo(point(current));
            previous = current;
            current = following;
        }
        path.closeSubpath();
    }
    return path;
}

// Modules of one colour, filled as one path: whole squares by their joint
// outline, other marks as shapes side by side.
class ModuleFill
{
public:
    ModuleFill(const QPainterPath &mark, bool wholeSquares, int gridSide, int moduleSide)
        : mark(mark), wholeSquares(wholeSquares), gridSide(gridSide), moduleSide(moduleSide),
          cells(wholeSquares ? gridSide * gridSide : 0, false)
    {
        shapes.setFillRule(Qt::WindingFill);
    }

    void add(QPoint place) { add(place, mark); }
    void add(QPoint place, const QPainterPath &shape)
    {
        if (wholeSquares)
            cells[place.y() * gridSide + place.x()] = true;
        else
            shapes.addPath(shape.translated(place * moduleSide));
    }
    void fill(QPainter &painter, const QColor &color) const
    {
        painter.fillPath(wholeSquares ? cellOutline(cells, gridSide, moduleSide) : shapes, color);
    }

private:
    QPainterPath mark;
    bool wholeSquares;
    int gridSide;
    int moduleSide;
    QVector<bool> cells;
    QPainterPath shapes;
};

// The code on its canvas of moduleSize units a module, one module of border.
void paintCode(QPainter &painter, const QrStyleRecord &style, const QRcode &symbol)
{
    const int m = style.moduleSize;
    const int grid = symbol.width + 2;
    QPainterPath plainSquare;
    plainSquare.addRect(0, 0, m, m);
    QHash<QString, QPainterPath> shaped;
    if (style.moduleShape == 2) {
        for (const QString &name : connectedShapeNames())
            shaped.insert(name, shapedModulePath(name));
    }
    const bool square = style.moduleShape == 0;
    ModuleFill dark(moduleMarkPath(style, style.darkModuleSize), square && style.darkModuleSize >= m, grid, m);
    ModuleFill light(moduleMarkPath(style, style.lightModuleSize), square && style.lightModuleSize >= m, grid, m);
    ModuleFill plainDark(plainSquare, true, grid, m);
    ModuleFill plainLight(plainSquare, true, grid, m);
    // Square eyes of the modules' colour are their dark modules: drawn as part of
    // the modules' path, they leave no seam beside the modules either.
    const bool plainEyes = square && style.eyeShape == 0 && m == 50 && style.darkModuleSize >= m
        && style.eyeOuterColor == style.darkModuleColor && style.eyeInnerColor == style.darkModuleColor;
    layOutStamps(style, symbol, [&](CodeStamp stamp, QPoint place, const QString &shape) {
        switch (stamp) {
        case CodeStamp::Eye:
        case CodeStamp::Alignment:
            painter.save();
            painter.translate(place * m);
            if (!plainEyes && stamp == CodeStamp::Eye)
                paintEye(painter, style);
            else if (!plainEyes)
                paintAlignment(painter, style);
            else if (stamp == CodeStamp::Eye)
                paintEyeBackdrop(painter, style);
            painter.restore();
            if (plainEyes) {
                // The eye stamp starts on the separator, the alignment stamp on its pattern.
                const QPoint first = stamp == CodeStamp::Eye ? place : place - QPoint(1, 1);
                const int side = stamp == CodeStamp::Eye ? 7 : 5;
                for (int row = first.y(); row < first.y() + side; ++row) {
                    for (int column = first.x(); column < first.x() + side; ++column) {
                        if (symbol.data[row * symbol.width + column] & 1)
                            dark.add(QPoint(column + 1, row + 1));
                    }
                }
            }
            break;
        case CodeStamp::LightModule: light.add(place); break;
        case CodeStamp::PlainLight: plainLight.add(place); break;
        case CodeStamp::PlainDark: plainDark.add(place); break;
        case CodeStamp::DarkModule:
            if (style.moduleShape == 2)
                dark.add(place, shaped.value(shape));
            else
                dark.add(place);
            break;
        }
    });
    // One fill a colour: a file of a few shapes, not of one for every module.
    light.fill(painter, style.lightModuleColor);
    plainLight.fill(painter, Qt::white);
    plainDark.fill(painter, Qt::black);
    dark.fill(painter, style.darkModuleColor);
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
