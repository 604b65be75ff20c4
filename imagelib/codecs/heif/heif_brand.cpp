// imagelib/codecs/heif/heif_brand.cpp
#include "imagelib/codecs/heif/heif_brand.h"

#include <cstring>

namespace {

std::uint32_t bigEndian32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

bool isOneOf(const std::uint8_t *brand, const char *const *list)
{
    for (; *list; ++list) {
        if (std::memcmp(brand, *list, 4) == 0)
            return true;
    }
    return false;
}

const char *const kHeifBrands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis",
                                   "hevm", "hevs", "mif1", "msf1", nullptr};
const char *const kOtherOwners[] = {"avif", "avis", "crx ", nullptr};

} // namespace

bool heifIsOurBrand(const std::uint8_t *data, std::size_t size)
{
    // size, "ftyp", major brand, minor version, then compatible brands.
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return false;
    const std::uint32_t boxSize = bigEndian32(data);
    if (boxSize < 16 || boxSize > size || boxSize % 4 != 0)
        return false;
    bool heif = false;
    for (std::size_t at = 8; at + 4 <= boxSize; at += 4) {
        if (at == 12)
            continue; // the minor version, not a brand
        if (isOneOf(data + at, kOtherOwners))
            return false;
        heif = heif || isOneOf(data + at, kHeifBrands);
    }
    return heif;
}
