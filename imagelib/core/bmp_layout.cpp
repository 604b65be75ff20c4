// imagelib/core/bmp_layout.cpp
#include "imagelib/core/bmp_layout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr const char *kErrInfo = kBmpErrInfo;
constexpr const char *kErrCompression = "compression type not supported";
constexpr const char *kErrUnknownCompression = "unknown compression";
constexpr const char *kErrBitCount = "unsupported BMP bit count";

// Run-length data may expand this far without question; beyond it, by at most
// kRleExpansion bytes of picture per byte of data (a run of 255 pixels takes
// two bytes, so real files stay far below).
constexpr std::uint64_t kRleFreeBytes = 64u << 20;
constexpr std::uint64_t kRleExpansion = 1024;

// OS/2 2.x headers may be cut anywhere from 16 to 64 bytes; 40, 52 and 56
// are the Windows sizes, which win where the two overlap.
bool isOs2v2Size(std::uint32_t size)
{
    return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56;
}

bool isKnownSize(std::uint32_t size)
{
    return size == 12 || (size >= 16 && size <= 64) || size == 108 || size == 124;
}

void parseCoreHeader(const std::uint8_t *h, BmpLayout &l)
{
    l.width = BmpGet16(h + 4);
    l.height = BmpGet16(h + 6);
    l.planes = BmpGet16(h + 8);
    l.bitCount = BmpGet16(h + 10);
    l.entrySize = 3;
}

BmpChannel channelFor(std::uint32_t mask)
{
    BmpChannel c;
    c.mask = mask;
    if (mask) {
        c.shift = std::uint32_t(std::countr_zero(mask));
        c.max = mask >> c.shift;
    }
    return c;
}

// An info header longer than 40 bytes whose size we know no layout for is
// taken as the 40-byte header plus bytes to skip, but only when nothing could
// depend on them: uncompressed rows whose image size field matches them
// exactly, one plane and a full palette.
bool unknownSizeAcceptable(const BmpLayout &l)
{
    const std::uint64_t plain = BmpStride(l.width, l.bitCount) * l.height;
    return l.headerSize > 40 && l.sizeImage == plain && l.planes == 1 && l.compression == 0 &&
           l.colorsUsed == 0;
}

const char *parseInfoHeader(const std::uint8_t *bytes, std::uint32_t present, BmpLayout &l)
{
    std::uint8_t h[kBmpMaxHeaderRead] = {};
    std::memcpy(h, bytes, present);
    const std::int32_t width = std::int32_t(BmpGet32(h + 4));
    const std::int32_t height = std::int32_t(BmpGet32(h + 8));
    if (width <= 0 || height == 0)
        return kErrInfo;
    l.width = std::uint32_t(width);
    l.topDown = height < 0;
    l.height = height < 0 ? std::uint32_t(-std::int64_t(height)) : std::uint32_t(height);
    l.planes = BmpGet16(h + 12);
    l.bitCount = BmpGet16(h + 14);
    l.compression = BmpGet32(h + 16);
    l.sizeImage = BmpGet32(h + 20);
    l.xPelsPerMeter = std::int32_t(BmpGet32(h + 24));
    l.yPelsPerMeter = std::int32_t(BmpGet32(h + 28));
    l.colorsUsed = BmpGet32(h + 32);

    if (isOs2v2Size(l.headerSize)) {
        if (l.compression == 3)
            l.compression = kBmpOs2Huffman;
        else if (l.compression == 4)
            l.compression = kBmpOs2Rle24;
    } else if (l.headerSize >= 52 && isKnownSize(l.headerSize)) {
        l.masksInHeader = true;
        if (l.compression == 3 || l.compression == kBmpAlphaBitfields)
            BmpSetMasks(l, h + 40, l.headerSize >= 56 ? 4 : 3);
    } else if (l.headerSize == 40) {
        if (l.compression == 3)
            l.maskBytes = 12;
        else if (l.compression == kBmpAlphaBitfields)
            l.maskBytes = 16;
    }
    if (!isKnownSize(l.headerSize) && !unknownSizeAcceptable(l))
        return kErrInfo;
    return nullptr;
}

void setDefaultMasks(BmpLayout &l)
{
    if (l.bitCount == 16) {
        l.red = channelFor(0x7C00);
        l.green = channelFor(0x03E0);
        l.blue = channelFor(0x001F);
    } else {
        l.red = channelFor(0x00FF0000);
        l.green = channelFor(0x0000FF00);
        l.blue = channelFor(0x000000FF);
    }
    l.alpha = BmpChannel();
}

const char *checkTrueColour(BmpLayout &l)
{
    if (l.compression == 0) {
        setDefaultMasks(l);
        return nullptr;
    }
    if (l.compression != 3 && l.compression != kBmpAlphaBitfields)
        return kErrUnknownCompression;
    if (l.bitCount == 16) {
        l.red = channelFor(l.red.mask & 0xFFFF);
        l.green = channelFor(l.green.mask & 0xFFFF);
        l.blue = channelFor(l.blue.mask & 0xFFFF);
        l.alpha = channelFor(l.alpha.mask & 0xFFFF);
    }
    // Bit fields with no colour mask at all carry nothing; writers that leave
    // them empty mean the usual layout.
    if (!l.red.mask && !l.green.mask && !l.blue.mask)
        setDefaultMasks(l);
    return nullptr;
}

} // namespace

const char *BmpParseInfoHeader(const std::uint8_t *bytes, std::size_t available, BmpLayout &layout)
{
    layout = BmpLayout();
    if (available < 4)
        return kErrInfo;
    layout.headerSize = BmpGet32(bytes);
    if (layout.headerSize < 12 || (layout.headerSize > 12 && layout.headerSize < 16))
        return kErrInfo;
    const std::uint32_t present = std::min(layout.headerSize, kBmpMaxHeaderRead);
    if (available < present)
        return kErrInfo;
    if (layout.headerSize == 12) {
        parseCoreHeader(bytes, layout);
        if (layout.width == 0 || layout.height == 0)
            return kErrInfo;
        return nullptr;
    }
    return parseInfoHeader(bytes, present, layout);
}

void BmpSetMasks(BmpLayout &layout, const std::uint8_t *words, std::uint32_t count)
{
    layout.red = channelFor(BmpGet32(words));
    layout.green = channelFor(BmpGet32(words + 4));
    layout.blue = channelFor(BmpGet32(words + 8));
    layout.alpha = count >= 4 ? channelFor(BmpGet32(words + 12)) : BmpChannel();
}

const char *bmpCheckLayout(BmpLayout &layout)
{
    const std::uint32_t c = layout.compression;
    if (layout.planes != 1)
        return kErrInfo;
    // Run-length rows always run bottom-up; a negative height there is damage.
    if (layout.topDown && (c == 1 || c == 2))
        return kErrCompression;
    if (c == 4 || c == 5 || c == kBmpOs2Huffman || c == kBmpOs2Rle24)
        return kErrCompression;
    switch (layout.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 24:
        if (c == 0 || (c == 1 && layout.bitCount == 8) || (c == 2 && layout.bitCount == 4))
            return nullptr;
        return kErrCompression;
    case 16:
    case 32: return checkTrueColour(layout);
    default: return kErrBitCount;
    }
}

std::uint64_t BmpStride(std::uint32_t width, std::uint32_t bitCount)
{
    return ((std::uint64_t(width) * bitCount + 31) / 32) * 4;
}

std::uint64_t BmpRowBytes(std::uint32_t width, std::uint32_t bitCount)
{
    return (std::uint64_t(width) * bitCount + 7) / 8;
}

std::uint64_t BmpPaletteEntries(const BmpLayout &layout)
{
    if (layout.bitCount <= 8)
        return layout.colorsUsed ? layout.colorsUsed : (1u << layout.bitCount);
    return layout.colorsUsed;
}

std::uint32_t BmpTargetBpp(std::uint32_t bitCount)
{
    if (bitCount == 2)
        return 4;
    return bitCount > 8 ? 24 : bitCount;
}

bool bmpIsRle(const BmpLayout &layout)
{
    return layout.compression == 1 || layout.compression == 2;
}

bool BmpPixelDataFits(const BmpLayout &layout, std::uint64_t available)
{
    if (bmpIsRle(layout)) {
        const std::uint64_t picture = BmpStride(layout.width, layout.bitCount) * layout.height;
        return available >= 2 && (picture <= kRleFreeBytes || picture / kRleExpansion <= available);
    }
    const std::uint64_t stride = BmpStride(layout.width, layout.bitCount);
    return stride * (layout.height - 1) + BmpRowBytes(layout.width, layout.bitCount) <= available;
}

std::int32_t BmpDpiFromPpm(std::int32_t ppm)
{
    // Below 20 pixels per metre the resolution rounds to 0, which says no more than 0 itself.
    const double dpi = std::floor(double(ppm) * 0.0254 + 0.5);
    if (dpi < 1)
        return 96;
    // Beyond this SetXDPI's pixels per metre would no longer fit 32 bits.
    constexpr double kMaxDpi = 54000000.0;
    return std::int32_t(std::min(dpi, kMaxDpi));
}
