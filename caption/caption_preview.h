// caption/caption_preview.h
#pragma once

#include "caption/caption_settings.h"
#include "platform/win_types.h"

class QPainter;

// Draws a caption over a picture shown on screen at shown with scale s
// (screen pixels per picture pixel), as the preview does: the box from the
// offsets at that scale (PreviewBox), the back colour unless transparent,
// and the text in the preview's copy of the font (PreviewFont), clipped to
// the box; a caption with a style as PaintStyledCaption draws it. Returns the box. The painter's state is
// restored on return.
RECT PaintCaptionOnScreen(QPainter &painter, const CaptionSettings &caption, const RECT &shown, float scale);
