// caption/caption_scale.h
#pragma once

#include "caption/caption_settings.h"

#include <cstdint>

// "Size with the picture": a design keeps its measures as pixels of a picture
// whose shorter side is style.referenceSide, and each picture gets them in
// proportion to its own shorter side, so portraits and landscapes of any
// size carry the same caption. Pure arithmetic; any thread.

// The factor a design's pixel measures are multiplied by on a width x height
// picture: min(width, height) / referenceSide, or 1 when the design is in
// plain picture pixels (referenceSide <= 0 or not finite) or the picture
// has no pixels.
double CaptionScaleFactor(const CaptionStyle &style, std::int64_t width, std::int64_t height);

// The design as it is stamped on a width x height picture. With
// referenceSide > 0: the offsets rounded to whole pixels after scaling, the
// font height scaled and rounded keeping its sign (never 0, at most
// kMaxFontPixels), padding and effectSize scaled; the result's referenceSide
// is 0, as its measures are now this picture's own pixels (so applying it
// twice changes nothing). Otherwise the design unchanged.
CaptionSettings CaptionForPicture(const CaptionSettings &design, std::int64_t width, std::int64_t height);
