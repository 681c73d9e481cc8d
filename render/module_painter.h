#pragma once

#include <QImage>
#include <QString>

struct QrStyleRecord;

// Ready-made stamps that the renderer copies to each module position. Each is
// painted once per render on a transparent background. The eye, alignment and
// shaped stamps use a fixed 50-pixel module grid. Everything is drawn scale times
// the size the style gives, so that the stamps fit a canvas of fewer pixels per
// module than moduleSize.
QImage makeEyePixmap(const QrStyleRecord &style, double scale = 1.0);
QImage makeAlignmentPixmap(const QrStyleRecord &style, double scale = 1.0);
QImage makeDarkModulePixmap(const QrStyleRecord &style, double scale = 1.0);
QImage makeLightModulePixmap(const QrStyleRecord &style, double scale = 1.0);

// A dark module of the connected style; an unknown shape name gives an empty stamp.
QImage makeShapedModulePixmap(const QrStyleRecord &style, const QString &shape, double scale = 1.0);

// The connected-style shape of a dark module from its four dark neighbours:
// the rounded side or corner faces away from them.
QString connectedShapeName(bool above, bool right, bool below, bool left);

// Every shape connectedShapeName can return, in the order the stamps are built.
QStringList connectedShapeNames();
