// caption/caption_geometry.h
#pragma once

#include "caption/caption_settings.h"
#include "platform/win_types.h"

#include <QRect>

#include <cstdint>

// Pure arithmetic of the caption box: where the box lands on the preview and
// on a picture, and how on-screen rectangles become offsets again. No drawing,
// no window: every function here is reachable from tests as it is.
//
// Rectangles are RECTs: left and top inclusive, right and bottom exclusive,
// possibly inverted (a box dragged past its opposite side stays inverted).
// Results that would leave the 32-bit range saturate at its ends. An anchor
// outside 0..3 is taken as top-left.

// The box in preview pixels: offsets scaled by s (preview pixels per
// picture pixel) from the anchor corner of shown, the rectangle where the
// picture is drawn. Each edge is computed in floating point, 0.5 is added
// and the sum truncated toward zero.
RECT PreviewBox(const CaptionOffsets &offsets, std::int32_t anchor, const RECT &shown, float scale);

// The box in the picture's own pixels, for a (turned) picture of width x
// height: each offset truncated toward zero, then measured from the anchor
// corner. The caption's font is not scaled for this.
RECT CaptionBoxInPicture(const CaptionOffsets &offsets, std::int32_t anchor, std::int64_t width,
                         std::int64_t height);

// The offsets of an on-screen box while a picture is shown at shown with
// scale s: the distances from the anchor corner of shown, divided by s.
// The inverse of PreviewBox up to its rounding.
CaptionOffsets OffsetsFromPreview(const RECT &box, std::int32_t anchor, const RECT &shown, float scale);

// The offsets of an on-screen box while no picture is shown: distances from
// the top-left corner of the preview area, divided by s, whatever the anchor.
CaptionOffsets OffsetsFromPreviewArea(const RECT &box, const RECT &preview, float scale);

// The preview's copy of the caption font: height times s truncated toward
// zero (a height that would truncate to 0 stays 1 pixel, keeping its sign,
// instead of becoming the default size), draft quality, TrueType-only
// precision and the fixed-pitch bit; the face name still decides the face.
LOGFONT PreviewFont(const LOGFONT &font, float scale);

// Where a w x h picture is shown inside bound: at its own size when it fits
// strictly inside, otherwise scaled down to fit keeping its aspect ratio;
// centred in both cases. Integer divisions truncate toward zero. A picture
// without pixels (w or h <= 0) gets an empty rectangle at the bound's corner.
RECT FitPictureRect(std::int64_t w, std::int64_t h, const RECT &bound);

// The display scale to use: scale itself when it is a positive finite
// number, otherwise 1 (a page without a sensible scale divides by nothing).
float SaneScale(float scale);

// Small RECT helpers with the Windows meanings.
RECT NormalizeRect(const RECT &r);
bool PtInRect(const RECT &r, POINT p);            // left/top inclusive, right/bottom exclusive
bool IsRectEmpty(const RECT &r);                  // width or height <= 0
RECT IntersectRect(const RECT &a, const RECT &b); // of the normalised rectangles; {} when empty
RECT OffsetRect(const RECT &r, std::int64_t dx, std::int64_t dy);
RECT InflateRect(const RECT &r, std::int32_t dx, std::int32_t dy);

// The same pixels as RECT (right and bottom exclusive) and as QRect (inclusive).
QRect qRectOf(const RECT &r);
RECT rectOf(const QRect &r);
