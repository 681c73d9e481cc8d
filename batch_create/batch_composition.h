#pragma once

#include "render/background_picture.h"

#include <QImage>
#include <QPoint>
#include <QString>

struct QrStyleRecord;

// What a batch run may add to its preset: a logo in the middle of every code and
// a background the codes are composed onto. Empty paths add nothing, so the
// preset's pictures stay exactly as they are.
struct BatchComposition
{
    QString logoPath;
    QString backgroundPath;
    // Where the code goes on the background, in background pixels.
    QPoint offset;
    // Degrees clockwise about the code's centre; only values above 0 turn it.
    int rotation = 0;

    // A ".gif" background, in any letter case, gives animated pictures.
    bool animated() const;
    // Suffix of the pictures the run writes: "gif" when animated, else "png".
    QString outputSuffix() const;

    // Reads the logo and the background once, before the first row, and checks
    // that a code drawn like sample lies wholly on the background. Empty on
    // success, otherwise the Chinese message that ends the run.
    QString load(const QrStyleRecord &sample);
    // Puts the pictures read by load on a row's record, shared with every other row.
    void applyTo(QrStyleRecord &record) const;

private:
    QImage logo;
    BackgroundPicture background;
};
