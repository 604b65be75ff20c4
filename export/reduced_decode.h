// export/reduced_decode.h
#pragma once

#include "caption/caption_settings.h"

#include <cstdint>

class ZvImage;

// Decoding a JPEG at 1/2, 1/4 or 1/8 of its size when the export shrinks it
// at least that much anyway: the DCT scaling does most of the shrinking at a
// fraction of the cost and memory of a full decode.
//
// The caption is still drawn at full resolution, so that it lands in the
// same place and has the same size relative to the picture as on a fully
// decoded one: the part of the reduced picture under the box is blown up by
// the scale factor (each pixel repeated), the caption is drawn into that
// patch with its unscaled box and font, and the patch is averaged back down.
// Pixels the caption does not touch come back exactly as they were.

// The largest denominator (8, 4 or 2) at which a picture of width x height,
// shown as shownWidth x shownHeight after its turn, still decodes to at
// least target in both directions; 1 when none does.
int chooseJpegScale(std::int64_t shownWidth, std::int64_t shownHeight, std::int64_t targetWidth,
                    std::int64_t targetHeight);

// A side of a picture decoded at 1/denominator: libjpeg rounds up.
inline std::int64_t reducedSide(std::int64_t side, int denominator)
{
    return (side + denominator - 1) / denominator;
}

// Stamps caption on picture, a turned picture decoded at 1/denominator of a
// fullWidth x fullHeight one (sizes after the turn), as DrawCaptionOnPicture
// would have stamped it on the full picture. The picture comes back 24-bit.
// False with the picture's last error set when the patch cannot be made.
bool stampCaptionReduced(ZvImage &picture, const CaptionSettings &caption, std::int64_t fullWidth,
                         std::int64_t fullHeight, int denominator);
