// fuzz/fuzz_exif.cpp
// Input that starts like a JPEG file goes through the marker scan; anything
// else is taken as an APP1 payload ("Exif\0\0" and the TIFF structure),
// copied into a block of exactly its size so that any read past it shows.
#include "imagelib/codecs/jpeg/exif_info.h"
#include "imagelib/streams/mem_file.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ZvExifInfo info;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        ZvMemFile file(const_cast<std::uint8_t *>(data), size);
        info.Read(&file);
        return 0;
    }
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(exact.get(), data, size);
    info.ParseExif(exact.get(), size);
    return 0;
}
