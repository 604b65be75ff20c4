// fuzz/fuzz_pcx_decode.cpp
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    image.Decode(&file, ZV_TYPE_PCX);
    return 0;
}
