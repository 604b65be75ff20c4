// imagelib/codecs/tiff/tiff_colour_map.h
#pragma once

#include "platform/win_types.h"

#include <tiffio.h>

#include <cstdint>
#include <vector>

// A TIFF page's colour map as 8-bit colours. The tag holds 16-bit values,
// but some writers store 8-bit ones; a map with no value above 255 is taken
// as 8-bit, as libtiff's own reader does.
class ZvTiffColourMap
{
  public:
    // False when the page has no colour map for bps bits per sample.
    bool Load(TIFF *tif, std::uint16_t bps);
    std::size_t Size() const { return mColours.size(); }
    // Entries past the end read as black.
    RGBQUAD At(std::size_t i) const { return i < mColours.size() ? mColours[i] : RGBQUAD{}; }

  private:
    std::vector<RGBQUAD> mColours;
};
