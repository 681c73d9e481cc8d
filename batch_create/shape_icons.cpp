#include "batch_create/shape_icons.h"

#include "render/module_painter.h"
#include "render/qr_style_record.h"

#include <QPainter>
#include <QPixmap>

namespace {

constexpr int iconSide = 40;

// A few dark modules, so that the connected shape shows how neighbours join.
const char *const sampleModules[] = {"##.#", "#..#", "####", ".#.."};

bool darkAt(int column, int row)
{
    return row >= 0 && row < 4 && column >= 0 && column < 4 && sampleModules[row][column] == '#';
}

} // namespace

QIcon moduleShapeIcon(int moduleShape)
{
    QrStyleRecord style;
    style.moduleShape = moduleShape;
    const QImage mark = makeDarkModulePixmap(style);
    QPixmap icon(iconSide, iconSide);
    icon.fill(Qt::white);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int cell = iconSide / 4;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            if (!darkAt(column, row))
                continue;
            const QImage stamp = moduleShape == 2
                ? makeShapedModulePixmap(style, connectedShapeName(darkAt(column, row - 1), darkAt(column + 1, row),
                                                                   darkAt(column, row + 1), darkAt(column - 1, row)))
                : mark;
            painter.drawImage(QRect(column * cell, row * cell, cell, cell), stamp);
        }
    }
    return QIcon(icon);
}

QIcon eyeShapeIcon(int eyeShape)
{
    QrStyleRecord style;
    style.eyeShape = eyeShape;
    style.eyeBackdropAlpha = 0;
    const QImage eye = makeEyePixmap(style);
    return QIcon(QPixmap::fromImage(eye.scaled(iconSide, iconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
