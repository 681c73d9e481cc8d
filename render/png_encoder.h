#pragma once

#include <QByteArray>
#include <QImage>

// The picture as a PNG file that decodes to exactly the pixels Qt's own writer
// would store, in the narrowest colour type that holds them: grey, grey with
// alpha, RGB or RGBA, 8 bits each, with the picture's resolution. Compressed for
// speed rather than size: a batch writes thousands of them. Empty for a null
// picture or when memory runs out.
QByteArray encodePng(const QImage &image);
