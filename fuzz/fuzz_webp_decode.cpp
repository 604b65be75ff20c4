// fuzz/fuzz_webp_decode.cpp
// Decodes as the program loads a picture for the export with its photo
// information kept, so the metadata readers and the turn run too.
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvMemFile file(const_cast<std::uint8_t *>(data), size);
    ZvImage image;
    image.SetKeepPhotoInfo(true);
    image.Decode(&file, ZV_TYPE_WEBP);
    return 0;
}
