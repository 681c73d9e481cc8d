#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

// A top-level window without a system frame that moves when dragged with the left
// button and resizes from every edge and corner, also where child widgets cover them.
class FramelessWidget : public QWidget
{
    Q_OBJECT

public:
    explicit FramelessWidget(QWidget *parent = nullptr);

    // The edges a press at this point of a window of this size resizes: within
    // edgeWidth of a side, or within cornerWidth of two sides at a corner.
    static Qt::Edges edgesAt(const QPoint &pos, const QSize &size);
    static constexpr int edgeWidth = 6;
    static constexpr int cornerWidth = 18;

signals:
    // Requested width and height on every step of a resize.
    void sig_PosChange(int width, int height);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool resizeByMouse(QMouseEvent *event);

    bool dragging = false;
    Qt::Edges resizing;
    QPoint pressGlobalPos;
    QPoint pressWindowPos;
    QRect pressGeometry;
};
