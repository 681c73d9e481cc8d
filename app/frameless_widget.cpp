#include "app/frameless_widget.h"

#include <QCursor>
#include <QMouseEvent>
#include <QRect>

FramelessWidget::FramelessWidget(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setWindowFlags(Qt::FramelessWindowHint);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FramelessWidget::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    if (event->button() != Qt::LeftButton)
        return;
    pressWindowPos = pos();
    // A maximised window stays as it is: moving or resizing it would end the
    // maximised state without the window manager, and restoring would then fail.
    if (isMaximized())
        return;

    const int w = width();
    const int h = height();
    const int m = borderWidth;
    const QPoint p = event->pos();
    const QRect upperDragZone(0, 0, w, h - 2 * m);
    const QRect bottomDragStrip(0, h - 2 * m, w - 2 * m, 2 * m);
    if (upperDragZone.contains(p) || bottomDragStrip.contains(p)) {
        pressGlobalPos = event->globalPos();
        dragging = true;
        return;
    }
    if (QRect(w - 2 * m, h - 2 * m, 2 * m, 2 * m).contains(p))
        resizing = true;
}

void FramelessWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    resizing = false;
    dragging = false;
}

void FramelessWidget::mouseMoveEvent(QMouseEvent *event)
{
    updateResizeCursor(mapFromGlobal(QCursor::pos()));
    if (dragging)
        move(event->globalPos() - pressGlobalPos + pressWindowPos);
}

void FramelessWidget::updateResizeCursor(const QPoint &pos)
{
    if (!resizing) {
        if (pos.x() > width() - borderWidth && pos.y() > height() - borderWidth) {
            setCursor(Qt::SizeFDiagCursor);
            resizeRegion = ResizeRegion::BottomRight;
        } else {
            setCursor(Qt::ArrowCursor);
        }
        return;
    }
    if (resizeRegion != ResizeRegion::BottomRight)
        return;
    const QPoint cursor = QCursor::pos();
    const int requestedWidth = cursor.x() - x();
    const int requestedHeight = cursor.y() - y();
    setGeometry(pressWindowPos.x(), pressWindowPos.y(), requestedWidth, requestedHeight);
    emit sig_PosChange(requestedWidth, requestedHeight);
}
