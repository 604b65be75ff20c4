// imagelib/codecs/jpeg2000/jas_pixels.h
#pragma once

#include <cstdint>
#include <vector>

class ZvImage;

// Picture plumbing shared by the readers and writers of the JPEG 2000 family
// codec. Rows are addressed top-down here ("top row y"), the way every one
// of these formats stores them; the DIB keeps them bottom-up.

// Create or throw the message Create left. 8-bit pictures get a grey ramp.
void jasCreate(ZvImage &image, std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
               std::uint32_t type);
std::uint8_t *jasTopRow(const ZvImage &image, std::uint32_t y);
// Throws "Cancelled" once the escape field is set.
void jasCheckEscape(const ZvImage &image);

// An indexed greyscale picture's row as grey levels, one byte per pixel.
void jasGreyRow(const ZvImage &image, std::uint32_t y, std::uint8_t *out);
// A 24-bit picture's row as red, green, blue.
void jasRgbRow(const ZvImage &image, std::uint32_t y, std::uint8_t *out);

// Maps samples 0..max onto 0..255 with rounding; samples above max are the
// caller's to reject or clamp first.
class ZvSampleScale
{
  public:
    explicit ZvSampleScale(std::uint32_t max);
    std::uint8_t operator()(std::uint32_t v) const
    {
        return mTable.empty() ? std::uint8_t((std::uint64_t(v) * 255 + mMax / 2) / mMax) : mTable[v];
    }

  private:
    std::uint64_t mMax;
    std::vector<std::uint8_t> mTable; // for max up to 65535
};
