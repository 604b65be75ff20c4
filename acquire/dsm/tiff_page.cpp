// acquire/dsm/tiff_page.cpp
#include "acquire/dsm/tiff_page.h"

#include <cstring>

namespace {

constexpr int kEntries = 13;
constexpr std::size_t kIfd = 8;
constexpr std::size_t kIfdBytes = 2 + kEntries * 12 + 4;
constexpr std::size_t kBitsAt = kIfd + kIfdBytes; // three shorts, padded to 8
constexpr std::size_t kXResAt = kBitsAt + 8;
constexpr std::size_t kYResAt = kXResAt + 8;
constexpr std::size_t kHeader = kYResAt + 8;

void put16(std::uint8_t *at, std::uint32_t v)
{
    at[0] = std::uint8_t(v), at[1] = std::uint8_t(v >> 8);
}

void put32(std::uint8_t *at, std::uint32_t v)
{
    put16(at, v & 0xFFFF), put16(at + 2, v >> 16);
}

// Entries in ascending tag order, as TIFF requires.
void entry(std::uint8_t *&at, std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value)
{
    put16(at, tag), put16(at + 2, type), put32(at + 4, count);
    if (type == 3 && count == 1)
        put16(at + 8, value), put16(at + 10, 0);
    else
        put32(at + 8, value);
    at += 12;
}

} // namespace

std::uint64_t TiffRowBytes(const TiffPageFormat &format)
{
    return (std::uint64_t(format.width) * format.samples * format.bits + 7) / 8;
}

std::size_t TiffHeaderBytes()
{
    return kHeader;
}

void WriteTiffHeader(std::uint8_t *out, const TiffPageFormat &f)
{
    std::memset(out, 0, kHeader);
    out[0] = out[1] = 'I';
    put16(out + 2, 42);
    put32(out + 4, kIfd);
    std::uint8_t *at = out + kIfd;
    put16(at, kEntries);
    at += 2;
    const std::uint64_t strip = TiffRowBytes(f) * f.height;
    entry(at, 254, 4, 1, 0);        // NewSubfileType
    entry(at, 256, 4, 1, f.width);  // ImageWidth
    entry(at, 257, 4, 1, f.height); // ImageLength
    if (f.samples == 3)
        entry(at, 258, 3, 3, kBitsAt); // BitsPerSample
    else
        entry(at, 258, 3, 1, f.bits);
    entry(at, 259, 3, 1, 1);                                        // no compression
    entry(at, 262, 3, 1, f.samples == 3 ? 2 : f.bits == 1 ? 0 : 1); // RGB, WhiteIsZero, BlackIsZero
    entry(at, 273, 4, 1, std::uint32_t(kHeader));                   // StripOffsets
    entry(at, 277, 3, 1, f.samples);                                // SamplesPerPixel
    entry(at, 278, 4, 1, f.height);                                 // RowsPerStrip
    entry(at, 279, 4, 1, std::uint32_t(strip));                     // StripByteCounts
    entry(at, 282, 5, 1, kXResAt);                                  // XResolution
    entry(at, 283, 5, 1, kYResAt);                                  // YResolution
    entry(at, 296, 3, 1, 2);                                        // inches
    put32(at, 0);                                                   // no next directory
    for (int i = 0; i < 3; ++i)
        put16(out + kBitsAt + 2 * i, f.bits);
    put32(out + kXResAt, f.dpi), put32(out + kXResAt + 4, 1);
    put32(out + kYResAt, f.dpi), put32(out + kYResAt + 4, 1);
}
