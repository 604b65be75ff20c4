// caption/caption_render.h
#pragma once

#include "caption/caption_settings.h"
#include "platform/win_types.h"

class ZvImage;

// Stamps a caption into a picture at the picture's own size: box is the
// caption box in picture pixels (CaptionBoxInPicture), top row 0, right and
// bottom exclusive; an inverted box is taken normalised. The back colour,
// unless kNoBackColor, fills the box (at style.backOpacity per cent, laid
// over the picture; 100 is the opaque fill); the text is laid out by
// LayoutCaption (padding, wrap, fit; the caption's LOGFONT unchanged
// otherwise, its height in picture pixels) and drawn with its alignment,
// effect and logo (PaintCaptionForeground), clipped to the box minus its
// padding. Every measure of caption is taken as this picture's pixels
// (style.referenceSide is not applied here: see StampCaption). A logo that
// cannot be read is left out and is no failure. A caption whose style is
// plain draws exactly as a box without a style always has.
// Parts of the box outside the picture are not drawn,
// and nothing outside the picture's buffer is touched.
//
// The picture comes back 24 bits per pixel: indexed pictures are expanded
// through their palette, also when the box is empty, lies outside or the
// text is empty. Transparency is kept as an alpha plane (a transparent
// index, palette alpha or transparent colour becomes clear pixels of it);
// the box's fill and the text are opaque over it, so no caption pixel is
// transparent because of its colour.
// The rest of the picture's information (type, resolution, JPEG quality)
// is kept. Only the box's rows and the text's extent are touched, so a
// large picture is not copied.
//
// Returns false with the picture's last error set when it holds no pixels,
// is a ghost or cannot be made 24-bit (the size limit of ZvImage::Create, or
// no memory for its alpha plane):
// the picture is then as it was. Also false when no drawing surface for the
// text can be allocated: the picture is then 24-bit with the box filled.
// Needs a QGuiApplication (fonts). Any one thread at a time per picture.
bool DrawCaptionOnPicture(ZvImage &picture, const RECT &box, const CaptionSettings &caption);

// The export's step for one (already turned) picture: the design sized for
// the picture (CaptionForPicture), the box from its offsets and anchor at
// the picture's width and height, then DrawCaptionOnPicture.
bool StampCaption(ZvImage &picture, const CaptionSettings &caption);
