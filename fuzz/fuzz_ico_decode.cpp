// fuzz/fuzz_ico_decode.cpp
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    // Entries other than the first are reached through the frame field.
    image.SetFrame(std::int32_t(size % 3));
    image.Decode(&file, ZV_TYPE_ICO);
    return 0;
}
