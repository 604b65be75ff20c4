// acquire/transfer_picture.cpp
#include "acquire/transfer_picture.h"

#include "imagelib/core/image.h"
#include "platform/global_block.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct TiffReader
{
    const std::uint8_t *data;
    std::size_t limit;
    bool little;
    bool ok = true;

    std::uint32_t read(std::uint64_t at, unsigned bytes)
    {
        if (at + bytes > limit) {
            ok = false;
            return 0;
        }
        std::uint32_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) {
            const unsigned shift = little ? 8 * i : 8 * (bytes - 1 - i);
            value |= std::uint32_t(data[at + i]) << shift;
        }
        return value;
    }
};

unsigned tiffTypeSize(std::uint32_t type)
{
    static const unsigned kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < 13 ? kSizes[type] : 0;
}

struct TiffEntry
{
    std::uint32_t tag, type, count;
    std::uint64_t valueAt; // where the values lie
};

// The end of the values of an array of offsets paired with an array of byte counts.
std::uint64_t pairedEnd(TiffReader &in, const TiffEntry &offsets, const TiffEntry &counts)
{
    std::uint64_t end = 0;
    const unsigned os = tiffTypeSize(offsets.type), cs = tiffTypeSize(counts.type);
    if (offsets.count != counts.count || (os != 2 && os != 4) || (cs != 2 && cs != 4))
        return in.ok = false, 0;
    for (std::uint32_t i = 0; i < offsets.count && in.ok; ++i)
        end =
            std::max<std::uint64_t>(end, std::uint64_t(in.read(offsets.valueAt + std::uint64_t(i) * os, os)) +
                                             in.read(counts.valueAt + std::uint64_t(i) * cs, cs));
    return end;
}

std::size_t tiffExtent(const std::uint8_t *data, std::size_t limit)
{
    TiffReader in{data, limit, data[0] == 'I'};
    const std::uint64_t ifd = in.read(4, 4);
    const std::uint32_t n = in.read(ifd, 2);
    std::uint64_t end = ifd + 2 + std::uint64_t(n) * 12 + 4;
    TiffEntry strips{}, stripCounts{}, tiles{}, tileCounts{};
    for (std::uint32_t i = 0; i < n && in.ok; ++i) {
        const std::uint64_t at = ifd + 2 + std::uint64_t(i) * 12;
        TiffEntry e{in.read(at, 2), in.read(at + 2, 2), in.read(at + 4, 4), at + 8};
        const std::uint64_t bytes = std::uint64_t(tiffTypeSize(e.type)) * e.count;
        if (bytes > 4)
            e.valueAt = in.read(at + 8, 4);
        end = std::max(end, e.valueAt + bytes);
        if (e.tag == 273)
            strips = e;
        if (e.tag == 279)
            stripCounts = e;
        if (e.tag == 324)
            tiles = e;
        if (e.tag == 325)
            tileCounts = e;
    }
    if (in.ok && strips.tag)
        end = std::max(end, pairedEnd(in, strips, stripCounts));
    if (in.ok && tiles.tag)
        end = std::max(end, pairedEnd(in, tiles, tileCounts));
    return in.ok && end <= limit ? std::size_t(end) : 0;
}

std::size_t dibExtent(const std::uint8_t *data, std::size_t limit)
{
    BITMAPINFOHEADER head;
    std::memcpy(&head, data, sizeof head);
    if (head.biWidth <= 0 || head.biHeight == 0 || head.biHeight == INT32_MIN)
        return 0;
    const std::uint64_t height =
        std::uint64_t(head.biHeight < 0 ? -std::int64_t(head.biHeight) : head.biHeight);
    const std::uint64_t row = ((std::uint64_t(head.biWidth) * head.biBitCount + 31) / 32) * 4;
    std::uint64_t colours = head.biClrUsed;
    if (colours == 0 && head.biBitCount <= 8)
        colours = 1ull << head.biBitCount;
    const std::uint64_t masks = head.biCompression == 3 ? 12 : 0;
    const std::uint64_t pixels =
        head.biCompression == 0 || head.biCompression == 3 ? row * height : head.biSizeImage;
    const std::uint64_t end = head.biSize + masks + colours * 4 + pixels;
    return colours <= 256 && end <= limit ? std::size_t(end) : 0;
}

} // namespace

TransferKind TransferKindOf(const std::uint8_t *data, std::size_t available)
{
    if (available >= 8 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                           (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42)))
        return TransferKind::Tiff;
    if (available >= 40 && data[0] == 40 && data[1] == 0 && data[2] == 0 && data[3] == 0)
        return TransferKind::Dib;
    return TransferKind::Unknown;
}

std::size_t TransferExtent(const std::uint8_t *data, std::size_t limit)
{
    switch (TransferKindOf(data, limit)) {
    case TransferKind::Tiff: return tiffExtent(data, limit);
    case TransferKind::Dib: return dibExtent(data, limit);
    default: return 0;
    }
}

bool LoadTransferred(const std::uint8_t *data, std::size_t size, ZvImage &image)
{
    switch (TransferKindOf(data, size)) {
    case TransferKind::Tiff:
        if (size > UINT32_MAX) {
            image.SetLastError("Decode: Unknown or wrong format");
            return false;
        }
        return image.Decode(const_cast<std::uint8_t *>(data), std::uint32_t(size), ZV_TYPE_TIF);
    case TransferKind::Dib:
        return image.CreateFromHANDLE(GlobalBlock(std::vector<std::uint8_t>(data, data + size)));
    default: image.SetLastError("Decode: Unknown or wrong format"); return false;
    }
}
