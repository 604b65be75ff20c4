// imagelib/codecs/jpeg/jpeg_scale.h
#pragma once

#include <cstdint>

// Decoding a JPEG at 1/2, 1/4 or 1/8 of its size when the picture is shown or
// written at least that much smaller anyway (the export, the preview, the
// thumbnails): the DCT scaling does most of the shrinking at a fraction of
// the cost and memory of a full decode.

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
