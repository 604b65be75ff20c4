// imagelib/codecs/ico/codec_ico.cpp
#include "imagelib/codecs/ico/codec_ico.h"
#include "imagelib/codecs/png/codec_png.h"
#include "imagelib/streams/byte_writer.h"
#include "imagelib/streams/file.h"
#include "imagelib/streams/mem_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

// One BMP-style entry, laid out as the file has it: header, colour table,
// the colour ("XOR") rows bottom-up, then the 1-bit AND mask rows (1 =
// transparent), which old writers sometimes cut short.
struct IcoBitmap
{
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t colours = 0; // colour table entries
    std::size_t tableAt = 0;
    std::size_t colourAt = 0;
    std::size_t colourStride = 0;
    std::size_t maskAt = 0;
    std::size_t maskStride = 0;
};

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxSide = 255;

std::uint32_t le16(const std::uint8_t *p)
{
    return std::uint32_t(p[0] | (p[1] << 8));
}

std::uint32_t le32(const std::uint8_t *p)
{
    return le16(p) | (le16(p + 2) << 16);
}

std::uint32_t be32(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

bool isPng(const std::vector<std::uint8_t> &data)
{
    return data.size() >= sizeof(kPngSignature) &&
           std::memcmp(data.data(), kPngSignature, sizeof(kPngSignature)) == 0;
}

std::size_t strideOf(std::uint64_t width, std::uint32_t bits)
{
    return std::size_t((width * bits + 31) / 32 * 4);
}

// Lays out the entry from its header; throws when the colour rows are not
// all there. The height in the header counts the colour and mask rows.
IcoBitmap parseBitmap(const std::vector<std::uint8_t> &data)
{
    if (data.size() < 40)
        throw ZvCodecError("corrupted ICO");
    IcoBitmap b;
    b.data = data.data();
    b.size = data.size();
    const std::uint32_t headerSize = le32(data.data());
    const std::int32_t width = std::int32_t(le32(data.data() + 4));
    const std::int32_t height = std::int32_t(le32(data.data() + 8));
    b.bitCount = le16(data.data() + 14);
    const std::uint32_t compression = le32(data.data() + 16);
    const std::uint32_t used = le32(data.data() + 32);
    if (headerSize < 40 || headerSize > data.size() || width <= 0 || height < 2 || used > 256)
        throw ZvCodecError("corrupted ICO");
    switch (b.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: throw ZvCodecError("Unsupported icon bit depth");
    }
    // Bit fields only make sense as the standard layouts here.
    if (compression != 0 && !(compression == 3 && b.bitCount >= 16))
        throw ZvCodecError("Unsupported icon compression");
    b.width = std::uint32_t(width);
    b.height = std::uint32_t(height) / 2;
    b.colours = b.bitCount <= 8 ? (used ? used : 1u << b.bitCount) : used;
    b.tableAt = headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
    b.colourAt = b.tableAt + std::size_t(b.colours) * 4;
    b.colourStride = strideOf(b.width, b.bitCount);
    b.maskAt = b.colourAt + b.colourStride * b.height;
    b.maskStride = strideOf(b.width, 1);
    if (b.colourStride > data.size() || b.maskAt > data.size() || b.maskAt < b.colourAt)
        throw ZvCodecError("corrupted ICO");
    return b;
}

} // namespace

bool ZvImageICO::Decode(ZvFile *stream)
{
    if (!stream)
        return false;
    return RunGuarded(Step::Decode, "can't allocate memory", [&] { DecodeStream(stream); });
}

void ZvImageICO::DecodeStream(ZvFile *stream)
{
    std::vector<std::uint8_t> data = ReadEntry(stream);
    if (isPng(data)) {
        DecodePng(data);
        return;
    }
    DecodeBitmap(data);
}

// The selected entry's bytes, cut to what the file holds.
std::vector<std::uint8_t> ZvImageICO::ReadEntry(ZvFile *stream)
{
    const std::int64_t start = stream->Tell();
    const std::int64_t size = stream->Size();
    std::uint8_t dir[6];
    if (stream->Read(dir, 1, 6) != 6 || le16(dir) != 0 || (le16(dir + 2) != 1 && le16(dir + 2) != 2) ||
        le16(dir + 4) == 0)
        throw ZvCodecError("Not an ICO");
    const std::int32_t count = std::int32_t(le16(dir + 4));
    mInfo.nNumFrames = count;
    const std::int32_t frame = GetFrame();
    if (frame < 0 || frame >= count)
        throw ZvCodecError("icon entry not present");
    std::uint8_t entry[16];
    if (!stream->Seek(start + 6 + 16 * std::int64_t(frame), SEEK_FROM_START) ||
        stream->Read(entry, 1, 16) != 16)
        throw ZvCodecError("corrupted ICO");
    const std::int64_t at = start + std::int64_t(le32(entry + 12));
    if (at >= size || !stream->Seek(at, SEEK_FROM_START))
        throw ZvCodecError("corrupted ICO");
    std::vector<std::uint8_t> data(std::size_t(std::min<std::int64_t>(le32(entry + 8), size - at)));
    if (data.empty() || stream->Read(data.data(), 1, data.size()) != data.size())
        throw ZvCodecError("corrupted ICO");
    return data;
}

void ZvImageICO::DecodePng(std::vector<std::uint8_t> &data)
{
    const std::int32_t frames = mInfo.nNumFrames;
    if (GetEscape() == -1) {
        if (data.size() < 24)
            throw ZvCodecError("corrupted ICO");
        mHead.biWidth = std::int32_t(std::min<std::uint32_t>(be32(data.data() + 16), 0x7FFFFFFF));
        mHead.biHeight = std::int32_t(std::min<std::uint32_t>(be32(data.data() + 20), 0x7FFFFFFF));
        mHead.biBitCount = 24;
        mInfo.dwType = ZV_TYPE_ICO;
        return;
    }
    auto png = std::make_unique<ZvImagePNG>();
    png->CopyInfo(*this);
    ZvMemFile file(data.data(), data.size());
    if (!png->Decode(&file))
        throw ZvCodecError(png->GetLastError());
    Transfer(*png);
    mInfo.dwType = ZV_TYPE_ICO;
    mInfo.nNumFrames = frames;
}

void ZvImageICO::DecodeBitmap(const std::vector<std::uint8_t> &data)
{
    const IcoBitmap bmp = parseBitmap(data);
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(bmp.width);
        mHead.biHeight = std::int32_t(bmp.height);
        mHead.biBitCount = std::uint16_t(bmp.bitCount <= 8 ? bmp.bitCount : 24);
        mInfo.dwType = ZV_TYPE_ICO;
        return;
    }
    if (GetEscape())
        throw ZvCodecError("Cancelled");
    if (!Create(bmp.width, bmp.height, bmp.bitCount <= 8 ? bmp.bitCount : 24, ZV_TYPE_ICO))
        throw ZvCodecError(GetLastError());
    const std::uint32_t entries = std::min(bmp.colours, GetNumColors());
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t *c = bmp.data + bmp.tableAt + 4 * std::size_t(i);
        SetPaletteColor(std::uint8_t(i), RGBQUAD{c[0], c[1], c[2], 0});
    }
    ReadColours(bmp);
    ReadMask(bmp);
}

void ZvImageICO::ReadColours(const IcoBitmap &bmp)
{
    if (bmp.bitCount <= 8 || bmp.bitCount == 24) {
        // The entry's rows are laid out exactly as ours.
        std::memcpy(GetBits(0), bmp.data + bmp.colourAt, bmp.colourStride * bmp.height);
        return;
    }
    if (bmp.bitCount == 32 && !AlphaCreate())
        throw ZvCodecError("can't allocate memory");
    for (std::uint32_t y = 0; y < bmp.height; ++y) {
        const std::uint8_t *src = bmp.data + bmp.colourAt + bmp.colourStride * y;
        std::uint8_t *dst = GetBits(y);
        for (std::uint32_t x = 0; x < bmp.width; ++x, dst += 3) {
            if (bmp.bitCount == 32) {
                std::memcpy(dst, src + 4 * std::size_t(x), 3);
                mAlpha[std::size_t(y) * bmp.width + x] = src[4 * std::size_t(x) + 3];
                continue;
            }
            const std::uint32_t w = le16(src + 2 * std::size_t(x));
            dst[0] = std::uint8_t(((w & 0x1F) << 3) | ((w & 0x1F) >> 2));
            dst[1] = std::uint8_t((((w >> 5) & 0x1F) << 3) | (((w >> 5) & 0x1F) >> 2));
            dst[2] = std::uint8_t((((w >> 10) & 0x1F) << 3) | (((w >> 10) & 0x1F) >> 2));
        }
    }
}

// A 32-bit entry's own alpha wins; when it is zero throughout the writer
// left it unused and the mask decides. Mask rows missing from the file
// count as opaque; a mask with no bit set leaves no alpha plane.
void ZvImageICO::ReadMask(const IcoBitmap &bmp)
{
    const std::size_t plane = std::size_t(bmp.width) * bmp.height;
    if (mAlpha && std::any_of(mAlpha, mAlpha + plane, [](std::uint8_t a) { return a != 0; }))
        return;
    AlphaDelete();
    const std::size_t rows = std::min<std::size_t>(bmp.height, (bmp.size - bmp.maskAt) / bmp.maskStride);
    for (std::uint32_t y = 0; y < rows; ++y) {
        const std::uint8_t *mask = bmp.data + bmp.maskAt + bmp.maskStride * y;
        for (std::uint32_t x = 0; x < bmp.width; ++x) {
            if (!(mask[x / 8] & (0x80 >> (x & 7))))
                continue;
            if (!mAlpha && !AlphaCreate())
                throw ZvCodecError("can't allocate memory");
            mAlpha[std::size_t(y) * bmp.width + x] = 0;
        }
    }
}

bool ZvImageICO::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    return RunGuarded(Step::Encode, "can't allocate memory", [&] { EncodeStream(stream); });
}

void ZvImageICO::EncodeStream(ZvFile *stream)
{
    const std::uint32_t width = GetWidth();
    const std::uint32_t height = GetHeight();
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        throw ZvCodecError("Can't save this image as icon");
    const std::uint32_t bitCount = GetBpp() == 24 && mAlpha ? 32 : GetBpp();
    const std::uint32_t colours = GetNumColors();
    const std::size_t pixels = (strideOf(width, bitCount) + strideOf(width, 1)) * height;
    ZvByteWriter out(stream);
    out.PutLe16(0); // reserved
    out.PutLe16(1); // icon
    out.PutLe16(1); // one entry
    out.Put(std::uint8_t(width));
    out.Put(std::uint8_t(height));
    out.Put(std::uint8_t(colours < 256 ? colours : 0));
    out.Put(0);
    out.PutLe16(1); // planes
    out.PutLe16(std::uint16_t(bitCount));
    out.PutLe32(std::uint32_t(40 + colours * 4 + pixels));
    out.PutLe32(22); // the entry follows the directory
    WriteBitmap(out, bitCount);
    if (!out.Flush())
        throw ZvCodecError("cannot write icon file");
}

void ZvImageICO::WriteBitmap(ZvByteWriter &out, std::uint32_t bitCount) const
{
    const std::uint32_t width = GetWidth();
    const std::uint32_t height = GetHeight();
    const std::size_t maskStride = strideOf(width, 1);
    const std::uint32_t header[10] = {
        40,         width,
        2 * height, 1u | (bitCount << 16),
        0,          std::uint32_t((strideOf(width, bitCount) + maskStride) * height),
        0,          0,
        0,          0};
    for (std::uint32_t v : header)
        out.PutLe32(v);
    for (std::uint32_t i = 0; i < GetNumColors(); ++i) {
        const RGBQUAD c = GetPaletteColor(std::uint8_t(i));
        const std::uint8_t entry[4] = {c.rgbBlue, c.rgbGreen, c.rgbRed, 0};
        out.Write(entry, 4);
    }
    if (bitCount != 32)
        out.Write(GetBits(0), std::size_t(GetEffWidth()) * height);
    for (std::uint32_t y = 0; bitCount == 32 && y < height; ++y) {
        const std::uint8_t *src = GetBits(y);
        for (std::uint32_t x = 0; x < width; ++x, src += 3) {
            out.Write(src, 3);
            out.Put(std::uint8_t(AlphaGet(std::int32_t(x), std::int32_t(y)) * AlphaGetMax() / 255));
        }
    }
    // The mask marks what readers without alpha must leave transparent.
    const std::int32_t trans = IsIndexed() ? GetTransIndex() : -1;
    std::vector<std::uint8_t> mask(maskStride);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::fill(mask.begin(), mask.end(), 0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool clear =
                (mAlpha && AlphaGet(std::int32_t(x), std::int32_t(y)) * AlphaGetMax() / 255 < 128) ||
                (trans >= 0 && GetPixelIndex(std::int32_t(x), std::int32_t(y)) == trans);
            if (clear)
                mask[x / 8] |= std::uint8_t(0x80 >> (x & 7));
        }
        out.Write(mask.data(), mask.size());
    }
}
