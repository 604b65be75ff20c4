// fuzz/fuzz_png_decode.cpp
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool sameColours(const ZvImage &a, const ZvImage &b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (std::int32_t y = 0; y < std::int32_t(a.GetHeight()); ++y) {
        for (std::int32_t x = 0; x < std::int32_t(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue)
                return false;
        }
    }
    return true;
}

} // namespace

// Whatever decodes must come back with the same colours through our encoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    if (!image.Decode(&file, ZV_TYPE_PNG))
        return 0;
    std::uint8_t *encoded = nullptr;
    std::int32_t length = 0;
    if (!image.Encode(encoded, length, ZV_TYPE_PNG))
        std::abort();
    ZvImage back;
    if (!back.Decode(encoded, std::uint32_t(length), ZV_TYPE_PNG) || !sameColours(image, back))
        std::abort();
    std::free(encoded);
    return 0;
}
