// imagelib/codecs/raw/raw_signature.cpp
#include "imagelib/codecs/raw/raw_signature.h"

#include <cstring>

bool rawMayBeRaw(const std::uint8_t *data, std::size_t size)
{
    auto starts = [&](const char *magic, std::size_t n) {
        return size >= n && std::memcmp(data, magic, n) == 0;
    };
    return starts("II*\0", 4) || starts("MM\0*", 4) || starts("IIRO", 4) || starts("IIRS", 4) ||
           starts("MMOR", 4) || starts("IIU\0", 4) || starts("FUJIFILMCCD-RAW", 15) ||
           (size >= 12 && std::memcmp(data + 4, "ftypcrx ", 8) == 0);
}
