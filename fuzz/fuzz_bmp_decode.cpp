// fuzz/fuzz_bmp_decode.cpp
#include "imagelib/codecs/bmp/codec_bmp.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Whatever decodes must also come back unchanged through our own encoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile headerOnly(const_cast<std::uint8_t *>(data), size);
    ZvImageBMP probe;
    probe.SetEscape(-1);
    probe.Decode(&headerOnly);

    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    if (!image.Decode(&file, ZV_TYPE_BMP))
        return 0;
    std::uint8_t *encoded = nullptr;
    std::int32_t length = 0;
    if (!image.Encode(encoded, length, ZV_TYPE_BMP))
        std::abort();
    ZvImage back;
    if (!back.Decode(encoded, std::uint32_t(length), ZV_TYPE_BMP) || back.GetSize() != image.GetSize() ||
        std::memcmp(back.GetDIB(), image.GetDIB(), image.GetSize()) != 0)
        std::abort();
    std::free(encoded);
    return 0;
}
