// fuzz/fuzz_mountinfo.cpp
// The mount table's lines.
#include "platform/volumes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ParseMountInfo(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
