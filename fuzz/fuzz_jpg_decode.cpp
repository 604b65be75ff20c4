// fuzz/fuzz_jpg_decode.cpp
// The last input byte picks decoder options and the scale, so one corpus
// reaches greyscale, quantised and reduced-size output. Pictures are sized
// first in header-only mode and only small ones are decoded; small results
// are encoded again to exercise the writer.
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::uint64_t kMaxPixels = 1u << 20;

void setup(ZvImageJPG &jpg, std::uint8_t knob)
{
    jpg.SetCodecOption(std::uint32_t(knob & 0x0F) << 8 | ((knob & 0x10) ? 0x80u : 0u));
    jpg.SetJpegScale(std::uint8_t(1u << ((knob >> 5) & 3)));
    jpg.SetJpegQuality(std::uint8_t(knob % 101));
    jpg.SetDitherMode(knob % 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint8_t knob = size ? data[size - 1] : 0;
    ZvMemFile probe(const_cast<std::uint8_t *>(data), size);
    ZvImageJPG header;
    setup(header, knob);
    header.SetEscape(-1);
    if (!header.Decode(&probe) || std::uint64_t(header.GetWidth()) * header.GetHeight() > kMaxPixels)
        return 0;

    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImageJPG jpg;
    setup(jpg, knob);
    if (!jpg.Decode(&file) || std::uint64_t(jpg.GetWidth()) * jpg.GetHeight() > 65536)
        return 0;
    ZvMemFile out;
    out.Open();
    jpg.SetCodecOption(knob & 0x45u);
    jpg.Encode(&out);
    return 0;
}
