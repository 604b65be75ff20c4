// imagelib/codecs/bmp/codec_bmp.cpp
#include "imagelib/codecs/bmp/codec_bmp.h"

#include "imagelib/core/bmp_pixels.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr const char *kHeaderOnly = "output dimensions returned";
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kReadChunk = 1 << 20;

void put32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

[[noreturn]] void fail(const char *message)
{
    throw ZvCodecError(message);
}

// Reads up to `limit` bytes from the current position to the end.
std::vector<std::uint8_t> readUpTo(ZvFile &stream, std::uint64_t limit)
{
    std::vector<std::uint8_t> data;
    while (data.size() < limit) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(kReadChunk, limit - data.size()));
        const std::size_t old = data.size();
        data.resize(old + want);
        const std::size_t got = stream.Read(data.data() + old, 1, want);
        data.resize(old + got);
        if (got < want)
            break;
    }
    return data;
}

} // namespace

bool ZvImageBMP::Decode(ZvFile *stream)
{
    if (!stream) {
        SetLastError("Not a BMP");
        return false;
    }
    try {
        DecodeStream(*stream);
        return true;
    } catch (const ZvCodecError &e) {
        if (std::strcmp(e.what(), kHeaderOnly) != 0)
            Destroy();
        SetLastError(e.what());
    } catch (const std::bad_alloc &) {
        Destroy();
        SetLastError("Can't allocate memory");
    }
    return false;
}

void ZvImageBMP::DecodeStream(ZvFile &stream)
{
    const std::int64_t start = stream.Tell();
    const std::int64_t end = stream.Size();
    const std::int64_t fileSize = end >= start ? end - start : -1;
    std::uint32_t offBits = 0;
    BmpLayout layout = ReadHeaders(stream, start, offBits);
    if (const char *error = bmpCheckLayout(layout))
        fail(error);
    if (mInfo.nEscape == -1) {
        mHead.biWidth = std::int32_t(layout.width);
        mHead.biHeight = std::int32_t(layout.height);
        mHead.biBitCount = layout.bitCount;
        mOrigHead = mHead;
        fail(kHeaderOnly);
    }
    const Placement at = Place(layout, offBits, fileSize);
    // A colour count the whole file could not hold is not a short palette but damage.
    if (fileSize >= 0 &&
        at.paletteStart + std::uint64_t(layout.colorsUsed) * layout.entrySize > std::uint64_t(fileSize))
        fail(kBmpErrInfo);
    // Checked before allocating, so that a short file cannot ask for a big picture.
    if (fileSize >= 0 && (at.dataOffset > std::uint64_t(fileSize) ||
                          !BmpPixelDataFits(layout, std::uint64_t(fileSize) - at.dataOffset)))
        fail(kBmpErrCorrupted);
    if (!Create(layout.width, layout.height, BmpTargetBpp(layout.bitCount), ZV_TYPE_BMP))
        fail("Can't allocate memory");
    SetXDPI(BmpDpiFromPpm(layout.xPelsPerMeter));
    SetYDPI(BmpDpiFromPpm(layout.yPelsPerMeter));
    ReadPalette(stream, start, layout, at);
    if (!stream.Seek(start + std::int64_t(at.dataOffset), SEEK_FROM_START))
        fail(kBmpErrCorrupted);
    const BmpPixels pixels(layout);
    if (bmpIsRle(layout))
        ReadRle(stream, layout, pixels, fileSize >= 0 ? fileSize - std::int64_t(at.dataOffset) : -1);
    else
        ReadPlainRows(stream, layout, pixels);
    RefreshHeaderCopy();
}

BmpLayout ZvImageBMP::ReadHeaders(ZvFile &stream, std::int64_t start, std::uint32_t &offBits)
{
    std::uint8_t fileHeader[kFileHeaderSize];
    if (stream.Read(fileHeader, 1, kFileHeaderSize) != kFileHeaderSize || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M')
        fail("Not a BMP");
    offBits = BmpGet32(fileHeader + 10);

    std::uint8_t info[kBmpMaxHeaderRead] = {};
    if (stream.Read(info, 1, 4) != 4)
        fail(kBmpErrInfo);
    const std::uint32_t present = std::clamp<std::uint32_t>(BmpGet32(info), 4, kBmpMaxHeaderRead);
    if (stream.Read(info + 4, 1, present - 4) != present - 4)
        fail(kBmpErrInfo);
    BmpLayout layout;
    if (const char *error = BmpParseInfoHeader(info, present, layout))
        fail(error);
    if (layout.maskBytes) {
        std::uint8_t masks[16];
        if (!stream.Seek(start + std::int64_t(kFileHeaderSize) + layout.headerSize, SEEK_FROM_START) ||
            stream.Read(masks, 1, layout.maskBytes) != layout.maskBytes)
            fail(kBmpErrInfo);
        BmpSetMasks(layout, masks, layout.maskBytes / 4);
    }
    return layout;
}

// The palette is as long as the header says, unless the pixel offset of the
// file header ends it sooner (OS/2 files with short palettes); an offset past
// the palette skips whatever lies between.
ZvImageBMP::Placement ZvImageBMP::Place(const BmpLayout &layout, std::uint32_t offBits, std::int64_t fileSize)
{
    Placement at;
    at.paletteStart = kFileHeaderSize + std::uint64_t(layout.headerSize) + layout.maskBytes;
    at.paletteEntries = BmpPaletteEntries(layout);
    const bool offsetUsable =
        offBits >= at.paletteStart && (fileSize < 0 || offBits <= std::uint64_t(fileSize));
    if (offsetUsable) {
        at.paletteEntries =
            std::min<std::uint64_t>(at.paletteEntries, (offBits - at.paletteStart) / layout.entrySize);
        at.dataOffset = offBits;
    } else {
        at.dataOffset = at.paletteStart + at.paletteEntries * layout.entrySize;
    }
    return at;
}

void ZvImageBMP::ReadPalette(ZvFile &stream, std::int64_t start, const BmpLayout &layout, const Placement &at)
{
    const std::uint32_t stored = std::uint32_t(std::min<std::uint64_t>(at.paletteEntries, GetNumColors()));
    if (!stored)
        return;
    std::vector<std::uint8_t> raw(std::size_t(stored) * layout.entrySize);
    if (!stream.Seek(start + std::int64_t(at.paletteStart), SEEK_FROM_START) ||
        stream.Read(raw.data(), 1, raw.size()) != raw.size())
        fail(kBmpErrCorrupted);
    RGBQUAD palette[256];
    for (std::uint32_t i = 0; i < stored; ++i) {
        const std::uint8_t *e = raw.data() + std::size_t(i) * layout.entrySize;
        palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
    SetPalette(palette, stored);
}

void ZvImageBMP::ReadPlainRows(ZvFile &stream, const BmpLayout &layout, const BmpPixels &pixels)
{
    const std::size_t stride = std::size_t(BmpStride(layout.width, layout.bitCount));
    const std::size_t rowBytes = std::size_t(BmpRowBytes(layout.width, layout.bitCount));
    // Rows of the in-memory depth are read straight into place.
    const bool direct = BmpTargetBpp(layout.bitCount) == layout.bitCount;
    std::vector<std::uint8_t> buffer(direct ? 0 : stride);
    pixels.BeginAlpha(*this);
    for (std::uint32_t row = 0; row < layout.height; ++row) {
        if (GetEscape())
            fail(kBmpErrCancelled);
        std::uint8_t *dst = direct ? GetBits(pixels.TargetRow(row)) : buffer.data();
        const std::size_t got = stream.Read(dst, 1, stride);
        if (got < rowBytes)
            fail(kBmpErrCorrupted);
        if (direct)
            std::memset(dst + got, 0, stride - got);
        else
            pixels.ConvertRow(dst, got, *this, row);
    }
    BmpPixels::FinishAlpha(*this);
}

void ZvImageBMP::ReadRle(ZvFile &stream, const BmpLayout &layout, const BmpPixels &pixels,
                         std::int64_t available)
{
    // Two bytes per pixel and an end-of-line per row is as long as useful
    // run-length data gets; a stream of unknown length is read no further.
    std::uint64_t limit = 2 * (std::uint64_t(layout.width) + 2) * layout.height + 4096;
    if (available >= 0)
        limit = std::min<std::uint64_t>(limit, std::uint64_t(available));
    const std::vector<std::uint8_t> data = readUpTo(stream, limit);
    const BmpStatus status = pixels.DecodeRle(data.data(), data.size(), *this);
    if (status != BmpStatus::Done)
        fail(bmpStatusMessage(status));
}

bool ZvImageBMP::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    RefreshHeaderCopy();
    const std::size_t size = GetSize();
    std::uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
    put32(fileHeader + 2, std::uint32_t(size + kFileHeaderSize));
    put32(fileHeader + 10, std::uint32_t(kFileHeaderSize + sizeof(BITMAPINFOHEADER) + GetPaletteSize()));
    if (stream->Write(fileHeader, 1, kFileHeaderSize) != kFileHeaderSize ||
        stream->Write(mDib, 1, size) != size) {
        SetLastError("Write Error");
        return false;
    }
    return true;
}
