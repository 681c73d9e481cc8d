#pragma once

#include "render/background_picture.h"
#include "render/qr_renderer.h"
#include "render/qr_style_record.h"

#include <QImage>
#include <QSize>

// A code ready to be drawn in any format: its style at the size it is drawn, the
// encoded symbol and the pictures it is put with.
struct PreparedCode
{
    QrStyleRecord style;
    QrSymbol symbol;
    QImage logo;
    BackgroundPicture background;

    // Pixels of the whole output: the background, or the canvas with its caption.
    QSize outputSize() const
    {
        return background.isNull() ? QSize(style.imageSize, style.canvasHeight()) : background.size();
    }
};
