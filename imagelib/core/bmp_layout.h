// imagelib/core/bmp_layout.h
#pragma once

#include <cstddef>
#include <cstdint>

// One colour channel of a bit-field pixel: the bits it occupies and the
// largest value they hold once shifted down (0 for an absent channel).
struct BmpChannel
{
    std::uint32_t mask = 0;
    std::uint32_t shift = 0;
    std::uint32_t max = 0;
};

// The longest info header whose fields we read (version 5); longer ones are
// read as far as this and the rest skipped, on the terms unknown header
// sizes are accepted under (plain rows, no masks, see bmp_layout.cpp).
constexpr std::uint32_t kBmpMaxHeaderRead = 124;

// Compression values of OS/2 2.x headers that collide with Windows values
// (3 is Huffman 1D there, 4 is RLE24); mapped out of the way on parsing.
constexpr std::uint32_t kBmpOs2Huffman = 0x10003;
constexpr std::uint32_t kBmpOs2Rle24 = 0x10004;
constexpr std::uint32_t kBmpAlphaBitfields = 6;

// Messages shared by the BMP readers.
constexpr const char *kBmpErrInfo = "Error reading BMP info";
constexpr const char *kBmpErrCorrupted = "corrupted BMP"; // pixel data missing
constexpr const char *kBmpErrCancelled = "Cancelled";

// What a BMP info header says about the palette and the pixel data that
// follow it. Shared by the file reader, the memory-block reader and the
// archive record reader, so that all three accept the same layouts.
struct BmpLayout
{
    std::uint32_t headerSize = 0; // as stored: 12, 16..64, 108, 124, ...
    std::uint32_t width = 0;
    std::uint32_t height = 0; // absolute; topDown holds the sign
    bool topDown = false;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t entrySize = 4; // palette entry bytes: 3 for OS/2 1.x headers
    std::uint32_t maskBytes = 0; // bit-field words stored right after the header
    bool masksInHeader = false;  // version 2+ headers carry the masks themselves
    BmpChannel red, green, blue, alpha;
};

// Reads the info header at `bytes` (which begins with its 32-bit size);
// `available` is how many bytes are there. Only min(size, 124) bytes are
// looked at. Returns null, or the message for a header that cannot be read.
const char *BmpParseInfoHeader(const std::uint8_t *bytes, std::size_t available, BmpLayout &layout);

// Takes the red, green, blue (and, with four words, alpha) masks from the
// words stored after a 40-byte header.
void BmpSetMasks(BmpLayout &layout, const std::uint8_t *words, std::uint32_t count);

// Checks dimensions, bit count and compression, and fills the default masks
// of 16- and 32-bit pixels. Returns null or the message.
const char *bmpCheckLayout(BmpLayout &layout);

// Bytes per stored row (padded to 4 bytes) and bytes that carry pixels.
std::uint64_t BmpStride(std::uint32_t width, std::uint32_t bitCount);
std::uint64_t BmpRowBytes(std::uint32_t width, std::uint32_t bitCount);

// Palette entries stored after the header (and masks).
std::uint64_t BmpPaletteEntries(const BmpLayout &layout);

// Bit count of the in-memory picture the stored pixels become.
std::uint32_t BmpTargetBpp(std::uint32_t bitCount);

bool bmpIsRle(const BmpLayout &layout);

// Whether `available` bytes of pixel data can describe the picture: all rows
// (the last one may lack its padding) for plain pixels; for run-length data
// a bound on how far it may expand, so that a few bytes cannot demand a
// picture of gigabytes.
bool BmpPixelDataFits(const BmpLayout &layout, std::uint64_t available);

// Dots per inch from pixels per metre; 96 when the file does not say (or
// says less than one dot per inch).
std::int32_t BmpDpiFromPpm(std::int32_t ppm);

// Little-endian reads.
inline std::uint16_t BmpGet16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t BmpGet32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
