// fuzz/fuzz_gif_decode.cpp
#include "imagelib/codecs/gif/codec_gif.h"
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
            const RGBQUAD p = a.GetPixelColor(x, y, false);
            const RGBQUAD q = b.GetPixelColor(x, y, false);
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue)
                return false;
        }
    }
    return true;
}

} // namespace

// The last byte picks the frame and the coder; whatever decodes (when
// small) must come back with the same colours through our own encoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint8_t knob = size ? data[size - 1] : 0;
    ZvMemFile headerOnly(const_cast<std::uint8_t *>(data), size);
    ZvImageGIF probe;
    probe.SetEscape(-1);
    // Screens up to the decoder's limit take a while to fill; the unit tests
    // cover that path, the fuzzer spends its time on smaller ones.
    if (probe.Decode(&headerOnly) && std::uint64_t(probe.GetWidth()) * probe.GetHeight() > (1u << 22))
        return 0;

    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImageGIF gif;
    gif.SetFrame(knob & 3);
    if (!gif.Decode(&file) || gif.GetWidth() * gif.GetHeight() > 16384)
        return 0;
    gif.SetCodecOption((knob >> 2) % 3);
    ZvMemFile encoded;
    encoded.Open();
    if (!gif.Encode(&encoded))
        std::abort();
    const std::size_t length = std::size_t(encoded.Size());
    ZvMemFile again(encoded.GetBuffer(false), length);
    ZvImageGIF back;
    if (!back.Decode(&again) || !sameColours(gif, back))
        std::abort();
    return 0;
}
