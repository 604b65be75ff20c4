// imagelib/metafile/metafile_cut.h
#pragma once

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

#include <vector>

// The rasteriser's time grows with a path's coordinates, not with what of it
// shows: a five-point polygon with one corner millions of pixels away kept it
// busy for tens of seconds on a picture of a million pixels. A path that
// reaches beyond a rectangle around the picture is therefore cut down to that
// rectangle before it is drawn; what shows inside the rectangle stays as it
// was.

// The part of path's area inside keep, under the path's own fill rule.
QPainterPath cutFill(const QPainterPath &path, const QRectF &keep);

// An open run of an outline inside keep, and how far along its figure it
// starts (in pixels), so that a dashed pen keeps its phase.
struct OutlinePiece
{
    QPainterPath path;
    double start = 0;
};

// The outline of path (curves flattened) inside keep, as runs. A figure
// wholly inside keep is kept whole, and closed if it was, so its joins stay.
std::vector<OutlinePiece> cutOutline(const QPainterPath &path, const QRectF &keep);

// Draws path with pen and brush as QPainter::drawPath does, cut to keep first
// when it reaches beyond it. Leaves pen and brush set on the painter.
void drawWithin(QPainter &painter, const QPainterPath &path, const QPen &pen, const QBrush &brush,
                const QRectF &keep);
