// export/format_ready.cpp
#include "export/format_ready.h"

#include "imagelib/core/image.h"

#include <vector>

namespace {

bool allGrey(const ZvImage &picture)
{
    const RGBQUAD *pal = picture.GetPalette();
    for (std::uint32_t i = 0; i < picture.GetNumColors(); ++i) {
        if (pal[i].rgbRed != pal[i].rgbGreen || pal[i].rgbGreen != pal[i].rgbBlue)
            return false;
    }
    return true;
}

// The indexed picture redrawn at bpp 8 (grey levels) or 24 through its palette.
bool expand(ZvImage &picture, std::uint32_t bpp)
{
    const std::uint32_t w = picture.GetWidth(), h = picture.GetHeight(), from = picture.GetBpp();
    const RGBQUAD *pal = picture.GetPalette();
    const std::uint32_t colours = picture.GetNumColors();
    ZvImage out;
    out.CopyInfo(picture);
    if (!out.Create(w, h, bpp, picture.GetType())) {
        picture.SetLastError(out.GetLastError(), out.GetErrorKind());
        return false;
    }
    if (bpp == 8)
        out.SetGrayPalette();
    out.SetXDPI(picture.GetXDPI());
    out.SetYDPI(picture.GetYDPI());
    out.SetTransIndex(-1);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *src = picture.GetBits(y);
        std::uint8_t *dst = out.GetBits(y);
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t i = ZvImage::BlindGetPixelIndex(src, std::int32_t(x), from);
            const RGBQUAD c = i < colours ? pal[i] : RGBQUAD{};
            if (bpp == 8) {
                *dst++ = c.rgbRed;
            } else {
                *dst++ = c.rgbBlue;
                *dst++ = c.rgbGreen;
                *dst++ = c.rgbRed;
            }
        }
    }
    picture = std::move(out);
    return true;
}

std::uint32_t packed(const std::uint8_t *bgr)
{
    return std::uint32_t(bgr[2]) << 16 | std::uint32_t(bgr[1]) << 8 | bgr[0];
}

} // namespace

bool makeJpegColours(ZvImage &picture)
{
    if (!picture.IsValid() || !picture.IsIndexed() || (picture.GetBpp() == 8 && picture.IsGrayScale()))
        return true;
    return expand(picture, allGrey(picture) ? 8 : 24);
}

void makeGifTransparency(ZvImage &picture)
{
    if (!picture.IsValid() || picture.GetBpp() != 24 || !picture.AlphaIsValid())
        return;
    const std::uint32_t w = picture.GetWidth(), h = picture.GetHeight();
    std::vector<bool> used(std::size_t(1) << 24);
    bool anyClear = false;
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *p = picture.GetBits(y);
        const std::uint8_t *a = picture.AlphaGetPointer(0, std::int32_t(y));
        for (std::uint32_t x = 0; x < w; ++x, p += 3) {
            if (a[x] < 128)
                anyClear = true;
            else
                used[packed(p)] = true;
        }
    }
    std::uint32_t key = 0;
    while (key < used.size() && used[key])
        ++key;
    // A picture with every one of the 2^24 colours visible has no pixel to spare.
    if (anyClear && key < used.size()) {
        const std::uint8_t bgr[3] = {std::uint8_t(key), std::uint8_t(key >> 8), std::uint8_t(key >> 16)};
        for (std::uint32_t y = 0; y < h; ++y) {
            std::uint8_t *p = picture.GetBits(y);
            const std::uint8_t *a = picture.AlphaGetPointer(0, std::int32_t(y));
            for (std::uint32_t x = 0; x < w; ++x, p += 3) {
                if (a[x] < 128)
                    std::copy(bgr, bgr + 3, p);
            }
        }
        picture.SetTransColor(RGBQUAD{bgr[0], bgr[1], bgr[2], 0});
        picture.SetTransIndex(0);
    }
    picture.AlphaDelete();
}

bool makeReadyFor(ZvImage &picture, std::uint32_t type)
{
    if (type == ZV_TYPE_JPG)
        return makeJpegColours(picture);
    if (type == ZV_TYPE_GIF)
        makeGifTransparency(picture);
    return true;
}
