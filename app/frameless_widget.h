#pragma once

#include <QPoint>
#include <QWidget>

// A top-level window without a system frame that moves when dragged with the left
// button and resizes from its bottom-right corner.
class FramelessWidget : public QWidget
{
    Q_OBJECT

public:
    explicit FramelessWidget(QWidget *parent = nullptr);

signals:
    // Requested width and height on every step of a corner resize.
    void sig_PosChange(int width, int height);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    enum class ResizeRegion { None, BottomRight };

    void updateResizeCursor(const QPoint &pos);

    bool dragging = false;
    bool resizing = false;
    QPoint pressGlobalPos;
    QPoint pressWindowPos;
    int borderWidth = 18;
    ResizeRegion resizeRegion = ResizeRegion::None;
};
