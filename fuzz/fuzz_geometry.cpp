// fuzz/fuzz_geometry.cpp
// Resample and rotate at the sizes, depths and modes the input picks. Turns
// that add up to nothing must give the pixels back, camera orientations
// followed by their inverse among them.
#include "imagelib/core/image.h"
#include "imagelib/geometry/orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t take16(const std::uint8_t *&data, std::size_t &size)
{
    std::uint32_t v = 0;
    for (int k = 0; k < 2 && size; ++k, ++data, --size)
        v = v << 8 | *data;
    return v;
}

// Pixel bits and alpha; row padding is not part of the picture.
bool samePixels(const ZvImage &a, const ZvImage &b)
{
    const std::uint32_t w = a.GetWidth(), h = a.GetHeight(), bpp = a.GetBpp();
    if (b.GetWidth() != w || b.GetHeight() != h || b.GetBpp() != bpp || a.AlphaIsValid() != b.AlphaIsValid())
        return false;
    const std::size_t whole = std::size_t(w) * bpp / 8, spare = std::size_t(w) * bpp % 8;
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *ra = a.GetBits(y), *rb = b.GetBits(y);
        if (std::memcmp(ra, rb, whole) != 0)
            return false;
        const std::uint8_t mask = std::uint8_t(0xFF00 >> spare);
        if (spare && ((ra[whole] ^ rb[whole]) & mask))
            return false;
    }
    return !a.AlphaIsValid() ||
           std::memcmp(a.AlphaGetPointer(), b.AlphaGetPointer(), std::size_t(w) * h) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 10)
        return 0;
    static const std::uint32_t depths[] = {1, 4, 8, 24};
    const std::uint32_t bpp = depths[data[0] & 3];
    const int mode = data[0] >> 2 & 3;
    const bool alpha = data[0] & 0x10;
    const int orientation = 1 + (data[0] >> 5 & 7);
    data += 1;
    size -= 1;
    // Long thin pictures reach the float drift of wide shrinks cheaply.
    const std::uint32_t w = 1 + take16(data, size) % 20000, h = 1 + take16(data, size) % 20000;
    const std::int32_t nw = std::int32_t(take16(data, size)) - 200,
                       nh = std::int32_t(take16(data, size)) - 200;
    if (std::uint64_t(w) * h > 60000 || std::int64_t(nw) * nh > 20000 || size == 0)
        return 0;

    ZvImage image(w, h, bpp);
    std::uint8_t *bits = image.GetBits(0);
    for (std::size_t k = 0; k < std::size_t(image.GetEffWidth()) * h; ++k)
        bits[k] = data[k % size];
    for (std::uint32_t i = 0; i < image.GetNumColors(); ++i)
        image.SetPaletteColor(std::uint8_t(i),
                              RGBQUAD{data[i % size], std::uint8_t(i), std::uint8_t(i * 7), 0});
    if (alpha && image.AlphaCreate())
        std::memcpy(image.AlphaGetPointer(), bits,
                    std::min<std::size_t>(std::size_t(w) * h, image.GetEffWidth() * h));

    ZvImage resampled;
    const bool ok = image.Resample(nw, nh, mode == 3 ? 0 : mode, &resampled);
    if ((nw > 0 && nh > 0) != ok ||
        (ok && (resampled.GetWidth() != std::uint32_t(nw) || resampled.GetBpp() != bpp)))
        std::abort();

    ZvImage turned;
    if (!image.RotateLeft(&turned) || !turned.RotateRight() || !samePixels(image, turned))
        std::abort();
    if (!image.Rotate180(&turned) || !turned.Rotate180() || !samePixels(image, turned))
        std::abort();
    // 6 and 8 undo each other; every other orientation undoes itself.
    const int inverse = orientation == 6 ? 8 : orientation == 8 ? 6 : orientation;
    turned.Copy(image);
    if (!zvTurnUpright(turned, orientation) || !zvTurnUpright(turned, inverse) || !samePixels(image, turned))
        std::abort();
    return 0;
}
