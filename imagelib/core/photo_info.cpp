// imagelib/core/photo_info.cpp
#include "imagelib/core/photo_info.h"

#include <cstring>

namespace {

constexpr char kExifPrefix[] = "Exif\0"; // with the terminator: six bytes
constexpr char kXmpMain[] = "http://ns.adobe.com/xap/1.0/";
constexpr char kXmpExtension[] = "http://ns.adobe.com/xmp/extension/";
constexpr std::size_t kIccHeaderSize = 128;
constexpr std::size_t kIccTagCountSize = 4;

// The prefix with its terminating NUL.
bool startsWith(const std::uint8_t *data, std::size_t size, const char *prefix, std::size_t prefixSize)
{
    return data && size >= prefixSize && std::memcmp(data, prefix, prefixSize) == 0;
}

std::uint32_t bigEndian32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

} // namespace

bool zvIsExifPayload(const std::uint8_t *data, std::size_t size)
{
    return startsWith(data, size, kExifPrefix, sizeof kExifPrefix);
}

bool zvIsXmpPayload(const std::uint8_t *data, std::size_t size)
{
    return startsWith(data, size, kXmpMain, sizeof kXmpMain) ||
           startsWith(data, size, kXmpExtension, sizeof kXmpExtension);
}

std::string zvIccColourSpace(const std::vector<std::uint8_t> &icc)
{
    if (icc.size() < kIccHeaderSize + kIccTagCountSize || bigEndian32(icc.data()) != icc.size() ||
        std::memcmp(icc.data() + 36, "acsp", 4) != 0)
        return {};
    return std::string(reinterpret_cast<const char *>(icc.data() + 16), 4);
}
