#include "app/screen_fit.h"

#include <QtGlobal>

QRect fitIntoScreens(const QRect &wanted, const QList<QRect> &available, const QSize &minimum)
{
    if (available.isEmpty())
        return wanted;
    QRect screen = available.first();
    qint64 best = 0;
    for (const QRect &area : available) {
        const QRect common = area.intersected(wanted);
        const qint64 overlap = common.isValid() ? qint64(common.width()) * common.height() : 0;
        if (overlap > best) {
            best = overlap;
            screen = area;
        }
    }
    const int width = qMax(minimum.width(), qMin(wanted.width(), screen.width()));
    const int height = qMax(minimum.height(), qMin(wanted.height(), screen.height()));
    // A screen smaller than the minimum shows the window's top-left part, with its title bar.
    const int x = qMax(screen.left(), qMin(wanted.x(), screen.left() + screen.width() - width));
    const int y = qMax(screen.top(), qMin(wanted.y(), screen.top() + screen.height() - height));
    return QRect(x, y, width, height);
}
