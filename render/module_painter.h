#pragma once

#include <QImage>
#include <QPainterPath>
#include <QString>

class QPainter;
struct QrStyleRecord;

// The shapes of the stamps, drawn on any painter in the stamps' own coordinates:
// the eye on a 450 square, the alignment pattern on a 250 square, a module mark of
// the given side centred in a moduleSize square and a connected-style shape on a
// 50 square (an unknown name gives an empty path).
void paintEye(QPainter &painter, const QrStyleRecord &style);
// The eye's backdrop alone, its first layer.
void paintEyeBackdrop(QPainter &painter, const QrStyleRecord &style);
void paintAlignment(QPainter &painter, const QrStyleRecord &style);
QPainterPath moduleMarkPath(const QrStyleRecord &style, double side);
QPainterPath shapedModulePath(const QString &shape);

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
