// imagelib/codecs/encode_rows.h
#pragma once

#include <cstdint>
#include <vector>

class ZvImage;

// The pixels of any picture (indexed of 1, 4 or 8 bits, or 24-bit) as
// top-down rows of R, G, B bytes, or R, G, B, A when the picture has
// transparency: an alpha plane, an alpha palette, or a transparent index or
// colour (those pixels get alpha 0). The form the WebP, AVIF and JPEG XL
// encoders take. Rows are packed (width * channels bytes).
struct ZvEncodeRows
{
    std::vector<std::uint8_t> bytes;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int channels = 3;
    bool grey = false; // every pixel has R = G = B
};

// Throws std::bad_alloc when memory runs out.
ZvEncodeRows zvEncodeRows(const ZvImage &image);
