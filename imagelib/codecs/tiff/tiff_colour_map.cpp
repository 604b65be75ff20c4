// imagelib/codecs/tiff/tiff_colour_map.cpp
#include "imagelib/codecs/tiff/tiff_colour_map.h"

namespace {

std::uint8_t to8(std::uint16_t v, bool wide)
{
    return wide ? std::uint8_t((std::uint32_t(v) * 255 + 32767) / 65535) : std::uint8_t(v);
}

} // namespace

bool ZvTiffColourMap::Load(TIFF *tif, std::uint16_t bps)
{
    mColours.clear();
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (bps == 0 || bps > 16 || !TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green ||
        !blue)
        return false;
    const std::size_t n = std::size_t(1) << bps;
    bool wide = false;
    for (std::size_t i = 0; i < n && !wide; ++i)
        wide = red[i] > 255 || green[i] > 255 || blue[i] > 255;
    mColours.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        mColours[i] = RGBQUAD{to8(blue[i], wide), to8(green[i], wide), to8(red[i], wide), 0};
    return true;
}
