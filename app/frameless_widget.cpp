#include "app/frameless_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

FramelessWidget::FramelessWidget(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setWindowFlags(Qt::FramelessWindowHint);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The window's children reach to its edges: their mouse events are looked at first.
    qApp->installEventFilter(this);
}

Qt::Edges FramelessWidget::edgesAt(const QPoint &pos, const QSize &size)
{
    const auto near = [&](int width) {
        Qt::Edges edges;
        if (pos.x() < width)
            edges |= Qt::LeftEdge;
        if (pos.x() >= size.width() - width)
            edges |= Qt::RightEdge;
        if (pos.y() < width)
            edges |= Qt::TopEdge;
        if (pos.y() >= size.height() - width)
            edges |= Qt::BottomEdge;
        return edges;
    };
    if (!QRect(QPoint(0, 0), size).contains(pos))
        return {};
    const Qt::Edges corner = near(cornerWidth);
    const bool atCorner = (corner & (Qt::LeftEdge | Qt::RightEdge)) && (corner & (Qt::TopEdge | Qt::BottomEdge));
    return atCorner ? corner : near(edgeWidth);
}

namespace {

Qt::CursorShape edgeCursor(Qt::Edges edges)
{
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        return Qt::SizeBDiagCursor;
    return edges & (Qt::LeftEdge | Qt::RightEdge) ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

} // namespace

bool FramelessWidget::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseMove || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)
        && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this)
        return resizeByMouse(static_cast<QMouseEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

// True when the event belongs to a resize and goes no further.
bool FramelessWidget::resizeByMouse(QMouseEvent *event)
{
    const QPoint global = event->globalPos();
    if (resizing) {
        if (event->type() == QEvent::MouseButtonRelease) {
            resizing = {};
            return true;
        }
        if (event->type() != QEvent::MouseMove)
            return true;
        const QPoint d = global - pressGlobalPos;
        const QSize least = minimumSize();
        QRect g = pressGeometry;
        if (resizing & Qt::LeftEdge)
            g.setLeft(qMin(g.left() + d.x(), g.right() + 1 - least.width()));
        if (resizing & Qt::RightEdge)
            g.setRight(qMax(g.right() + d.x(), g.left() - 1 + least.width()));
        if (resizing & Qt::TopEdge)
            g.setTop(qMin(g.top() + d.y(), g.bottom() + 1 - least.height()));
        if (resizing & Qt::BottomEdge)
            g.setBottom(qMax(g.bottom() + d.y(), g.top() - 1 + least.height()));
        setGeometry(g);
        emit sig_PosChange(g.width(), g.height());
        return true;
    }
    // A maximised window stays as it is: resizing it would end the maximised
    // state without the window manager, and restoring would then fail.
    const Qt::Edges edges = isMaximized() ? Qt::Edges() : edgesAt(mapFromGlobal(global), size());
    if (event->type() == QEvent::MouseMove && event->buttons() == Qt::NoButton && !dragging) {
        if (edges)
            setCursor(edgeCursor(edges));
        else
            unsetCursor();
        return false;
    }
    if (event->type() != QEvent::MouseButtonPress || event->button() != Qt::LeftButton || !edges)
        return false;
    // The window manager resizes best where it can; elsewhere the window follows the pointer.
    if (windowHandle() && windowHandle()->startSystemResize(edges))
        return true;
    resizing = edges;
    pressGlobalPos = global;
    pressGeometry = geometry();
    return true;
}

void FramelessWidget::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    if (event->button() != Qt::LeftButton || isMaximized())
        return;
    pressWindowPos = pos();
    pressGlobalPos = event->globalPos();
    dragging = true;
}

void FramelessWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        dragging = false;
}

void FramelessWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging)
        move(event->globalPos() - pressGlobalPos + pressWindowPos);
}
