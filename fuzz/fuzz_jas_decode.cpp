// fuzz/fuzz_jas_decode.cpp
// The JPEG 2000 family codec told type 0, so one input may reach the JP2,
// codestream, PGX, PNM and Sun raster readers. Small pictures that decode
// are written back in the small formats to exercise their writers too.
#include "imagelib/codecs/jpeg2000/codec_jas.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImageJAS codec(ZV_TYPE_UNKNOWN);
    if (!codec.Decode(&file) || std::uint64_t(codec.GetWidth()) * codec.GetHeight() > 65536)
        return 0;
    ZvImage image;
    image.Transfer(codec);
    for (const std::uint32_t type : {ZV_TYPE_PGX, ZV_TYPE_PNM, ZV_TYPE_RAS}) {
        std::uint8_t *out = nullptr;
        std::int32_t length = 0;
        if (image.Encode(out, length, type))
            std::free(out);
    }
    return 0;
}
