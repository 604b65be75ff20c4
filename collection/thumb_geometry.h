// collection/thumb_geometry.h
#pragma once

#include "platform/win_types.h"

#include <QRect>

// Sizes and rectangles of the thumbnail browser; no widget code.

struct ThumbSize
{
    int width = 0;
    int height = 0;
    bool operator==(const ThumbSize &) const = default;
};

// The bound of a thumbnail (80 x 80) and the limits a picture is fitted
// into (the bound plus 15: 95 x 95).
inline constexpr int kThumbBound = 80;
inline constexpr int kThumbLimit = kThumbBound + 15;

// The size a width x height picture is reduced to: unchanged when it fits
// the limits, else scaled to touch them along the tighter axis (integer
// arithmetic, truncating; never below 1 pixel).
ThumbSize ThumbReducedSize(int width, int height, int limitWidth = kThumbLimit,
                           int limitHeight = kThumbLimit);

// Where a width x height picture lands in target (right and bottom
// exclusive): shrunk to fit and centred when the target is smaller, else
// at its own size with its centre on the target's.
RECT ThumbDrawRect(int width, int height, const RECT &target);

inline QRect ToQRect(const RECT &r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// One cell of the browser: the picture area above, the name label below.
struct ThumbCellRects
{
    QRect icon;
    QRect label;
};

// Cell sizes: the icon spacing the page asks for, and the picture area
// that holds a thumbnail of the limits with room for its frame and shadow.
inline constexpr int kIconSpacingWidth = 130;
inline constexpr int kIconSpacingHeight = 119;
inline constexpr int kIconAreaWidth = 110;
inline constexpr int kIconAreaHeight = kThumbLimit + 4;

// The height of one label line for a font of textHeight pixels.
inline int ThumbLabelHeight(int textHeight)
{
    return textHeight + 4;
}
// The grid cell: the icon spacing, taller when the font needs it.
QSize ThumbGridSize(int textHeight);
ThumbCellRects ThumbCellLayout(const QRect &cell, int textHeight);
// The rectangle a thumbnail is drawn into: the icon area less 4 pixels on
// the right and bottom, which the shadow uses.
RECT ThumbTarget(const QRect &icon);
