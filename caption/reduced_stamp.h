// caption/reduced_stamp.h
#pragma once

#include "caption/caption_settings.h"

#include <cstdint>

class ZvImage;

// Stamping a caption on a picture decoded at 1/2, 1/4 or 1/8 of its size
// so that it lands in the same place and has the same size relative to the
// picture as on the full one: the part of the reduced picture under the box
// is blown up by the scale factor (each pixel repeated), the caption is drawn
// into that patch with its unscaled box and font, and the patch is averaged
// back down. Pixels the caption does not touch come back exactly as they were.
//
// picture is already turned; fullWidth x fullHeight is the full picture's
// size after the turn, which a design that sizes with the picture is
// measured on (CaptionForPicture), as on the full picture. The picture comes back 24-bit. False with the
// picture's last error set when the patch cannot be made.
bool stampCaptionReduced(ZvImage &picture, const CaptionSettings &caption, std::int64_t fullWidth,
                         std::int64_t fullHeight, int denominator);
