#pragma once

class QIODevice;
struct GifImagePrivate;

// Encodes the picture with giflib onto an open device. False when a size or position
// does not fit the format, the encoder cannot be made, or any byte is not written.
bool writeGif(const GifImagePrivate &gif, QIODevice *device);
