#pragma once

#include <QImage>
#include <QPoint>

// One picture of an animation, placed on the logical screen.
struct GifFrame
{
    QImage image;
    QPoint offset;
    // Milliseconds; -1 stands for the animation's default delay.
    int delay = -1;
};
