// fuzz/fuzz_tif_decode.cpp
#include "imagelib/codecs/tiff/codec_tif.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The decoder allows what ZvImage::Create allows, gigabytes; the fuzzer's
// memory limit is lower, so pictures whose header claims more are skipped.
constexpr std::uint64_t kMaxPixels = 16u << 20;

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

bool bilevel(const ZvImage &image)
{
    for (std::uint8_t i = 0; i < 2; ++i) {
        const RGBQUAD c = image.GetPaletteColor(i);
        if ((c.rgbRed != 0 && c.rgbRed != 255) || c.rgbRed != c.rgbGreen || c.rgbRed != c.rgbBlue)
            return false;
    }
    return true;
}

bool decodeFrame(const std::uint8_t *data, std::size_t size, std::int32_t frame, ZvImage &image)
{
    ZvMemFile probe(const_cast<std::uint8_t *>(data), size);
    ZvImageTIF header;
    header.SetFrame(frame);
    header.SetEscape(-1);
    header.Decode(&probe);
    if (std::uint64_t(header.GetWidth()) * header.GetHeight() > kMaxPixels)
        return false;
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    image.SetFrame(frame);
    return image.Decode(&file, ZV_TYPE_TIF);
}

} // namespace

// Whatever decodes must come back with the same colours through our
// lossless encoder (1-bit pictures only when they are black and white:
// the encoder writes every 1-bit picture as bilevel).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvImage image;
    if (!decodeFrame(data, size, 0, image))
        return 0;
    if (image.GetNumFrames() > 1) {
        ZvImage second;
        decodeFrame(data, size, 1, second);
    }
    image.SetCodecOption(5);
    std::uint8_t *encoded = nullptr;
    std::int32_t length = 0;
    if (!image.Encode(encoded, length, ZV_TYPE_TIF))
        std::abort();
    ZvImage back;
    if (!back.Decode(encoded, std::uint32_t(length), ZV_TYPE_TIF) ||
        ((image.GetBpp() != 1 || bilevel(image)) && !sameColours(image, back)))
        std::abort();
    std::free(encoded);
    return 0;
}
