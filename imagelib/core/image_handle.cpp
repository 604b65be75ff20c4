// imagelib/core/image_handle.cpp
// Pictures handed over as a packed DIB in a memory block (scanner transfers):
// info header, optional bit-field masks, colour table, pixel data.
#include "imagelib/core/bmp_pixels.h"
#include "imagelib/core/codec_error.h"
#include "imagelib/core/image.h"
#include "platform/global_block.h"

#include <algorithm>
#include <new>

namespace {

[[noreturn]] void fail(const char *message)
{
    throw ZvCodecError(message);
}

// Header and masks of the block; the offset just past them comes back.
BmpLayout readLayout(const std::uint8_t *data, std::size_t size, std::uint64_t &afterHeader)
{
    BmpLayout layout;
    if (const char *error = BmpParseInfoHeader(data, size, layout))
        fail(error);
    // A block carries a core (12) or an info header of 40 bytes or more;
    // the cut OS/2 2.x sizes belong to files only.
    if (layout.headerSize != 12 && layout.headerSize < 40)
        fail(kBmpErrInfo);
    if (layout.headerSize > size || size - layout.headerSize < layout.maskBytes)
        fail(kBmpErrInfo);
    if (layout.maskBytes)
        BmpSetMasks(layout, data + layout.headerSize, layout.maskBytes / 4);
    if (const char *error = bmpCheckLayout(layout))
        fail(error);
    afterHeader = std::uint64_t(layout.headerSize) + layout.maskBytes;
    return layout;
}

void readPalette(ZvImage &image, const BmpLayout &layout, const std::uint8_t *table, std::uint64_t entries)
{
    const std::uint32_t stored = std::uint32_t(std::min<std::uint64_t>(entries, image.GetNumColors()));
    RGBQUAD palette[256];
    for (std::uint32_t i = 0; i < stored; ++i) {
        const std::uint8_t *e = table + std::size_t(i) * layout.entrySize;
        palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
    if (stored)
        image.SetPalette(palette, stored);
}

void createFromPackedDib(ZvImage &image, const std::uint8_t *data, std::size_t size)
{
    std::uint64_t paletteStart = 0;
    const BmpLayout layout = readLayout(data, size, paletteStart);
    const std::uint64_t entries = BmpPaletteEntries(layout);
    const std::uint64_t bitsOffset = paletteStart + entries * layout.entrySize;
    if (bitsOffset > size || !BmpPixelDataFits(layout, size - bitsOffset))
        fail(kBmpErrCorrupted);
    if (!image.Create(layout.width, layout.height, BmpTargetBpp(layout.bitCount), ZV_TYPE_UNKNOWN))
        fail(image.GetLastError());
    image.SetXDPI(BmpDpiFromPpm(layout.xPelsPerMeter));
    image.SetYDPI(BmpDpiFromPpm(layout.yPelsPerMeter));
    readPalette(image, layout, data + paletteStart, entries);
    const BmpPixels pixels(layout);
    const BmpStatus status = pixels.DecodeAll(data + bitsOffset, size - std::size_t(bitsOffset), image);
    if (status != BmpStatus::Done)
        fail(bmpStatusMessage(status));
}

} // namespace

bool ZvImage::CreateFromHANDLE(const GlobalBlock &hMem)
{
    if (!Destroy())
        return false;
    try {
        if (hMem.size() == 0)
            fail("empty memory block");
        createFromPackedDib(*this, hMem.data(), hMem.size());
        RefreshHeaderCopy();
        return true;
    } catch (const ZvCodecError &e) {
        Destroy();
        SetLastError(e.what());
    } catch (const std::bad_alloc &) {
        Destroy();
        SetLastError("ZvImage::Create can't allocate memory");
    }
    return false;
}
