// imagelib/core/image_archive.cpp
// The picture's record in the thumbnail cache: a BMP file (14-byte file
// header, the DIB block) followed by the 40-byte as-loaded header.
#include "imagelib/core/bmp_pixels.h"
#include "imagelib/core/codec_error.h"
#include "imagelib/core/image.h"
#include "platform/archive.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoSize = sizeof(BITMAPINFOHEADER);

[[noreturn]] void fail(const char *message)
{
    throw ZvCodecError(message);
}

void skip(ArchiveReader &ar, std::uint64_t bytes)
{
    std::uint8_t scratch[4096];
    while (bytes) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(bytes, sizeof(scratch)));
        if (ar.Read(scratch, n) != n)
            fail(kBmpErrCorrupted);
        bytes -= n;
    }
}

void readExactly(ArchiveReader &ar, void *data, std::size_t size, const char *message)
{
    if (ar.Read(data, size) != size)
        fail(message);
}

// What the record's headers say, with the usual DIB defaults filled in: a
// zero image size means plain rows and zero colours a full palette.
struct RecordHead
{
    BmpLayout layout;
    std::uint64_t sizeImage = 0;
    std::uint64_t paletteBytes = 0;
    bool empty = false; // an empty picture: no palette, no pixels
};

RecordHead readRecordHead(ArchiveReader &ar)
{
    std::uint8_t fileHeader[kFileHeaderSize];
    if (ar.Read(fileHeader, kFileHeaderSize) != kFileHeaderSize || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M')
        fail("Not a BMP");
    std::uint8_t info[kInfoSize];
    readExactly(ar, info, kInfoSize, kBmpErrInfo);
    RecordHead head;
    head.empty = BmpGet32(info + 4) == 0 && BmpGet32(info + 8) == 0;
    if (head.empty) {
        head.sizeImage = BmpGet32(info + 20);
        head.paletteBytes = std::uint64_t(BmpGet32(info + 32)) * 4;
        return head;
    }
    const std::uint8_t size40[4] = {40, 0, 0, 0};
    std::memcpy(info, size40, 4);
    BmpLayout &l = head.layout;
    if (const char *error = BmpParseInfoHeader(info, kInfoSize, l))
        fail(error);
    if (l.maskBytes) {
        std::uint8_t masks[16];
        readExactly(ar, masks, l.maskBytes, kBmpErrInfo);
        BmpSetMasks(l, masks, l.maskBytes / 4);
    }
    if (const char *error = bmpCheckLayout(l))
        fail(error);
    head.sizeImage = l.sizeImage ? l.sizeImage : BmpStride(l.width, l.bitCount) * l.height;
    if (!l.colorsUsed && l.bitCount <= 8)
        l.colorsUsed = 1u << l.bitCount;
    head.paletteBytes = std::uint64_t(l.colorsUsed) * 4;
    return head;
}

// Everything the record still holds must be there before the picture is
// allocated, so that a short record cannot ask for a big one.
void checkRecordLength(const ArchiveReader &ar, const RecordHead &head)
{
    const std::uint64_t rest = head.paletteBytes + head.sizeImage + kInfoSize;
    if (rest > ar.Remaining())
        fail(kBmpErrCorrupted);
    if (!head.empty && !BmpPixelDataFits(head.layout, head.sizeImage))
        fail(kBmpErrCorrupted);
}

void readPalette(ArchiveReader &ar, ZvImage &image, const RecordHead &head)
{
    const std::uint32_t stored = std::min(head.layout.colorsUsed, image.GetNumColors());
    RGBQUAD palette[256];
    readExactly(ar, palette, std::size_t(stored) * 4, kBmpErrCorrupted);
    for (std::uint32_t i = 0; i < stored; ++i)
        palette[i].rgbReserved = 0;
    if (stored)
        image.SetPalette(palette, stored);
    skip(ar, head.paletteBytes - std::uint64_t(stored) * 4);
}

// Rows come bottom-up as stored; a negative height is flipped afterwards.
void readPixels(ArchiveReader &ar, ZvImage &image, const RecordHead &head)
{
    BmpLayout layout = head.layout;
    layout.topDown = false;
    if (!bmpIsRle(layout) && BmpTargetBpp(layout.bitCount) == layout.bitCount) {
        const std::uint64_t own = std::uint64_t(image.GetEffWidth()) * image.GetHeight();
        const std::size_t n = std::size_t(std::min(own, head.sizeImage));
        readExactly(ar, image.GetBits(0), n, kBmpErrCorrupted);
        std::memset(image.GetBits(0) + n, 0, std::size_t(own - n));
        skip(ar, head.sizeImage - n);
        return;
    }
    std::vector<std::uint8_t> data(std::size_t(head.sizeImage));
    readExactly(ar, data.data(), data.size(), kBmpErrCorrupted);
    const BmpStatus status = BmpPixels(layout).DecodeAll(data.data(), data.size(), image);
    if (status != BmpStatus::Done)
        fail(bmpStatusMessage(status));
}

// Stored as the record says, without the defaults a file reader applies.
std::int32_t dpiFromPpm(std::int32_t ppm)
{
    return std::int32_t(std::floor(double(ppm) * 0.0254 + 0.5));
}

} // namespace

void ZvImage::WriteToArchive(ArchiveWriter &ar)
{
    RefreshHeaderCopy();
    // An empty picture is written as a record of no pixels, which reads
    // back as an empty picture.
    BITMAPINFOHEADER head = mHead;
    if (!mDib) {
        head = BITMAPINFOHEADER();
        head.biBitCount = 24;
    }
    head.biSize = kInfoSize;
    const std::size_t size = mDib ? GetSize() : kInfoSize;
    const std::uint32_t paletteBytes = mDib ? GetPaletteSize() : 0;
    ar.Write("BM", 2);
    ar.WriteU32(std::uint32_t(size + kFileHeaderSize));
    ar.WriteU32(0);
    ar.WriteU32(std::uint32_t(kFileHeaderSize + kInfoSize + paletteBytes));
    if (mDib)
        ar.Write(mDib, size);
    else
        ar.Write(&head, kInfoSize);
    ar.Write(&mOrigHead, kInfoSize);
}

void ZvImage::ReadFromArchive(ArchiveReader &ar)
{
    try {
        const RecordHead head = readRecordHead(ar);
        checkRecordLength(ar, head);
        BITMAPINFOHEADER asLoaded;
        if (head.empty) {
            skip(ar, head.paletteBytes + head.sizeImage);
            readExactly(ar, &asLoaded, kInfoSize, kBmpErrInfo);
            Destroy();
            mOrigHead = asLoaded;
            return;
        }
        const BmpLayout &layout = head.layout;
        if (!Create(layout.width, layout.height, BmpTargetBpp(layout.bitCount), ZV_TYPE_UNKNOWN))
            fail("Can't allocate memory");
        mInfo.xDPI = dpiFromPpm(layout.xPelsPerMeter);
        mInfo.yDPI = dpiFromPpm(layout.yPelsPerMeter);
        mHead.biXPelsPerMeter = layout.xPelsPerMeter;
        mHead.biYPelsPerMeter = layout.yPelsPerMeter;
        RefreshHeaderCopy();
        if (GetEscape())
            fail(kBmpErrCancelled);
        readPalette(ar, *this, head);
        readPixels(ar, *this, head);
        readExactly(ar, &asLoaded, kInfoSize, kBmpErrInfo);
        mOrigHead = asLoaded;
        if (layout.topDown)
            Flip();
    } catch (const ZvCodecError &e) {
        Destroy();
        SetLastError(e.what());
        throw ZvArchiveError(e.what());
    } catch (const std::bad_alloc &) {
        Destroy();
        SetLastError("can't allocate memory");
        throw ZvArchiveError("can't allocate memory");
    }
}
