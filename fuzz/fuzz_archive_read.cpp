// fuzz/fuzz_archive_read.cpp
#include "imagelib/core/image.h"
#include "platform/archive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A record that reads must write a record that reads back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ArchiveReader in(data, size);
    ZvImage image;
    try {
        image.ReadFromArchive(in);
    } catch (const ZvArchiveError &) {
        return 0;
    }
    ArchiveWriter first;
    image.WriteToArchive(first);
    ArchiveReader again(first.bytes().data(), first.bytes().size());
    ZvImage copy;
    try {
        copy.ReadFromArchive(again);
    } catch (const ZvArchiveError &) {
        std::abort();
    }
    ArchiveWriter second;
    copy.WriteToArchive(second);
    if (second.bytes() != first.bytes() || again.Remaining() != 0)
        std::abort();
    return 0;
}
