// fuzz/fuzz_handle.cpp
#include "imagelib/core/image.h"
#include "platform/global_block.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The block holds exactly the input, so a read past it is caught.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const GlobalBlock block(std::vector<std::uint8_t>(data, data + size));
    ZvImage image;
    image.CreateFromHANDLE(block);
    return 0;
}
