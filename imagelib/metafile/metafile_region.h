// imagelib/metafile/metafile_region.h
#pragma once

#include <QList>
#include <QPainterPath>
#include <QRect>
#include <QRegion>

class MetaCanvas;

// Clip regions of the metafile players, in picture pixels and within the
// picture, with their work charged to the canvas. Rectangles of region data
// and outlines of clip paths come from files, so neither their number nor
// their shape may decide how long building the region takes.

// The union of rectangles.
QRegion metaRegionFromRects(MetaCanvas &canvas, const QList<QRect> &rects);

// The inside of an outline, by its fill rule.
QRegion metaRegionFromPath(MetaCanvas &canvas, const QPainterPath &path);
