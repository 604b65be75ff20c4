// imagelib/codecs/tga/codec_tga.cpp
#include "imagelib/codecs/tga/codec_tga.h"
#include "imagelib/streams/byte_reader.h"
#include "imagelib/streams/byte_writer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

// All multi-byte fields of a TGA file are little-endian.
struct TgaHeader
{
    std::uint8_t idLength = 0;
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapDepth = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t descriptor = 0;

    int Kind() const { return imageType & 7; } // 1 colour-mapped, 2 true colour, 3 grey
    bool Rle() const { return (imageType & 8) != 0; }
    bool TopDown() const { return (descriptor & 0x20) != 0; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    std::uint32_t PixelBytes() const { return (depth + 7u) / 8u; }
    bool HasAlpha() const { return depth == 32 || (Kind() == 3 && depth == 16); }
    std::uint32_t OutputBpp() const { return Kind() == 2 ? 24 : 8; }
};

namespace {

enum TgaImageType : std::uint8_t {
    kColourMapped = 1,
    kTrueColour = 2,
    kGrey = 3,
    kRleColourMapped = 9,
    kRleTrueColour = 10,
    kRleGrey = 11,
};

std::uint16_t le16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

TgaHeader parseHeader(const std::uint8_t *b)
{
    TgaHeader h;
    h.idLength = b[0];
    h.mapType = b[1];
    h.imageType = b[2];
    h.mapFirst = le16(b + 3);
    h.mapLength = le16(b + 5);
    h.mapDepth = b[7];
    h.width = le16(b + 12);
    h.height = le16(b + 14);
    h.depth = b[16];
    h.descriptor = b[17];
    return h;
}

bool isColourDepth(std::uint8_t depth)
{
    return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

// The message that rejects the header, or null.
const char *checkHeader(const TgaHeader &h)
{
    switch (h.imageType) {
    case kColourMapped:
    case kTrueColour:
    case kGrey:
    case kRleColourMapped:
    case kRleTrueColour:
    case kRleGrey: break;
    default: return h.mapType > 1 ? "bad TGA header" : "Unknown TGA image type";
    }
    // Interleaved rows (the top two descriptor bits) were never in use.
    if (h.mapType > 1 || h.width == 0 || h.height == 0 || (h.descriptor & 0xC0) != 0)
        return "bad TGA header";
    bool ok = true;
    switch (h.Kind()) {
    case 1: ok = h.mapType == 1 && h.depth == 8 && h.mapLength > 0 && isColourDepth(h.mapDepth); break;
    case 2: ok = isColourDepth(h.depth); break;
    default: ok = h.depth == 8 || h.depth == 16; break;
    }
    return ok ? nullptr : "bad TGA header";
}

// 15- and 16-bit colours are x1r5g5b5; five bits widen to the nearest 8-bit level.
RGBQUAD colourOf555(std::uint16_t w)
{
    auto widen = [](unsigned v) { return std::uint8_t((v * 255 + 15) / 31); };
    return RGBQUAD{widen(w & 0x1F), widen((w >> 5) & 0x1F), widen((w >> 10) & 0x1F), 0};
}

RGBQUAD colourOf(const std::uint8_t *p, std::uint32_t bytes)
{
    if (bytes == 2)
        return colourOf555(le16(p));
    return RGBQUAD{p[0], p[1], p[2], 0};
}

// Pixels of the file in file order: raw, or run-length packets that may run
// on from one row into the next. Whatever a packet holds beyond the last
// pixel of the picture is never asked for.
class TgaPixelSource
{
  public:
    TgaPixelSource(ZvByteReader &in, std::uint32_t pixelBytes, bool rle)
        : mIn(in)
        , mBytes(pixelBytes)
        , mRle(rle)
    {
    }

    // False when the file ends first.
    bool Fill(std::uint8_t *out, std::uint32_t count)
    {
        if (!mRle)
            return mIn.Read(out, std::size_t(count) * mBytes);
        while (count > 0) {
            if (mLeft == 0 && !StartPacket())
                return false;
            const std::uint32_t n = std::min(mLeft, count);
            if (mRun)
                Repeat(out, n);
            else if (!mIn.Read(out, std::size_t(n) * mBytes))
                return false;
            out += std::size_t(n) * mBytes;
            count -= n;
            mLeft -= n;
        }
        return true;
    }

  private:
    bool StartPacket()
    {
        const int head = mIn.Get();
        if (head < 0)
            return false;
        mLeft = std::uint32_t(head & 0x7F) + 1;
        mRun = (head & 0x80) != 0;
        return !mRun || mIn.Read(mPixel, mBytes);
    }

    void Repeat(std::uint8_t *out, std::uint32_t n) const
    {
        if (mBytes == 1) {
            std::memset(out, mPixel[0], n);
            return;
        }
        for (std::uint32_t i = 0; i < n; ++i, out += mBytes)
            std::memcpy(out, mPixel, mBytes);
    }

    ZvByteReader &mIn;
    std::uint32_t mBytes;
    bool mRle;
    std::uint32_t mLeft = 0;
    bool mRun = false;
    std::uint8_t mPixel[4] = {};
};

// One file row into one picture row (and its alpha row, when there is one).
void convertRow(const TgaHeader &h, const std::uint8_t *src, std::uint8_t *dst, std::uint8_t *alpha)
{
    const std::uint32_t width = h.width;
    if (h.depth == 16 && h.Kind() == 3) {
        for (std::uint32_t x = 0; x < width; ++x) {
            dst[x] = src[2 * x];
            alpha[x] = src[2 * x + 1];
        }
    } else if (h.depth == 15 || h.depth == 16) {
        for (std::uint32_t x = 0; x < width; ++x, dst += 3) {
            const RGBQUAD c = colourOf555(le16(src + 2 * x));
            dst[0] = c.rgbBlue;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbRed;
        }
    } else if (h.depth == 32) {
        for (std::uint32_t x = 0; x < width; ++x, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            alpha[x] = src[3];
        }
    } else {
        std::memcpy(dst, src, std::size_t(width) * h.PixelBytes());
    }
}

// The least the pixel data can take: every pixel raw, or run packets of
// 128 pixels each.
std::uint64_t leastPixelBytes(const TgaHeader &h)
{
    const std::uint64_t pixels = std::uint64_t(h.width) * h.height;
    if (!h.Rle())
        return pixels * h.PixelBytes();
    return (pixels + 127) / 128 * (1 + h.PixelBytes());
}

void reverseRow(std::uint8_t *row, std::uint32_t width, std::uint32_t bytes)
{
    if (bytes == 1) {
        std::reverse(row, row + width);
        return;
    }
    for (std::uint32_t l = 0, r = width - 1; l < r; ++l, --r)
        std::swap_ranges(row + std::size_t(l) * bytes, row + std::size_t(l + 1) * bytes,
                         row + std::size_t(r) * bytes);
}

} // namespace

bool ZvImageTGA::Decode(ZvFile *stream)
{
    if (!stream)
        return false;
    return RunGuarded(Step::Decode, "TGA Create failed", [&] { DecodeStream(stream); });
}

void ZvImageTGA::DecodeStream(ZvFile *stream)
{
    ZvByteReader in(stream);
    std::uint8_t raw[18];
    if (!in.Read(raw, sizeof(raw)))
        throw ZvCodecError("Not a TGA");
    const TgaHeader head = parseHeader(raw);
    if (const char *problem = checkHeader(head))
        throw ZvCodecError(problem);
    if (!in.Skip(head.idLength))
        throw ZvCodecError("corrupted TGA");
    RGBQUAD palette[256];
    ReadColourMap(in, head, palette);

    if (GetEscape() == -1) {
        mHead.biWidth = head.width;
        mHead.biHeight = head.height;
        mHead.biBitCount = std::uint16_t(head.OutputBpp());
        mInfo.dwType = ZV_TYPE_TGA;
        return;
    }
    const std::int64_t left = in.Left();
    if (left >= 0 && std::uint64_t(left) < leastPixelBytes(head))
        throw ZvCodecError("corrupted TGA");
    if (!Create(head.width, head.height, head.OutputBpp(), ZV_TYPE_TGA))
        throw ZvCodecError("TGA Create failed");
    if (head.Kind() == 1)
        SetPalette(palette, 256);
    else if (head.Kind() == 3)
        SetGrayPalette();
    if (head.HasAlpha() && !AlphaCreate())
        throw ZvCodecError("TGA Create failed");
    ReadRows(in, head);
    if (mAlpha) {
        const std::size_t plane = std::size_t(head.width) * head.height;
        if (std::all_of(mAlpha, mAlpha + plane, [](std::uint8_t a) { return a == 0; }))
            AlphaDelete();
    }
}

// Entries land at their own index (first entry + position); indices that
// the map does not cover stay black, so every 8-bit index is safe.
void ZvImageTGA::ReadColourMap(ZvByteReader &in, const TgaHeader &head, RGBQUAD *palette)
{
    if (head.mapType == 0)
        return;
    const std::uint32_t bytes = (head.mapDepth + 7u) / 8u;
    if (head.Kind() != 1) {
        if (!in.Skip(std::uint64_t(head.mapLength) * bytes))
            throw ZvCodecError("corrupted TGA");
        return;
    }
    std::vector<std::uint8_t> map(std::size_t(head.mapLength) * bytes);
    if (!in.Read(map.data(), map.size()))
        throw ZvCodecError("corrupted TGA");
    for (std::uint32_t i = 0; i < head.mapLength && head.mapFirst + i < 256; ++i)
        palette[head.mapFirst + i] = colourOf(map.data() + std::size_t(i) * bytes, bytes);
}

void ZvImageTGA::ReadRows(ZvByteReader &in, const TgaHeader &head)
{
    const std::uint32_t width = head.width;
    const std::uint32_t height = head.height;
    const std::uint32_t outBytes = head.OutputBpp() / 8;
    // Pictures stored as our rows are stored go straight into the pixel block.
    const bool direct = outBytes == head.PixelBytes() && !head.HasAlpha();
    std::vector<std::uint8_t> fileRow(direct ? 0 : std::size_t(width) * head.PixelBytes());
    TgaPixelSource source(in, head.PixelBytes(), head.Rle());
    for (std::uint32_t r = 0; r < height; ++r) {
        if (GetEscape())
            throw ZvCodecError("Cancelled");
        const std::uint32_t y = head.TopDown() ? height - 1 - r : r;
        std::uint8_t *dst = GetBits(y);
        std::uint8_t *alpha = mAlpha ? mAlpha + std::size_t(y) * width : nullptr;
        if (!source.Fill(direct ? dst : fileRow.data(), width))
            throw ZvCodecError("corrupted TGA");
        if (!direct)
            convertRow(head, fileRow.data(), dst, alpha);
        if (head.RightToLeft()) {
            reverseRow(dst, width, outBytes);
            if (alpha)
                std::reverse(alpha, alpha + width);
        }
    }
}

bool ZvImageTGA::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    return RunGuarded(Step::Encode, "can't allocate memory", [&] { EncodeStream(stream); });
}

void ZvImageTGA::EncodeStream(ZvFile *stream)
{
    const std::uint32_t bpp = GetBpp();
    if (bpp < 8)
        throw ZvCodecError("Bit depth must be 8 or 24");
    // The header holds both sizes in 16 bits; larger pictures would be cut.
    if (GetWidth() > 0xFFFF || GetHeight() > 0xFFFF)
        throw ZvCodecError("image too large for TGA");
    const bool mapped = bpp == 8;
    ZvByteWriter out(stream);
    out.Put(0);              // no image id
    out.Put(mapped ? 1 : 0); // colour map type
    out.Put(mapped ? kColourMapped : kTrueColour);
    out.PutLe16(0); // first map entry
    out.PutLe16(mapped ? 256 : 0);
    out.Put(mapped ? 24 : 0); // bits per map entry
    out.PutLe16(0);           // x and y origin
    out.PutLe16(0);
    out.PutLe16(std::uint16_t(GetWidth()));
    out.PutLe16(std::uint16_t(GetHeight()));
    out.Put(std::uint8_t(bpp == 24 && mAlpha ? 32 : bpp));
    out.Put(0); // bottom row first, left to right
    if (mapped) {
        const RGBQUAD *pal = GetPalette();
        for (int i = 0; i < 256; ++i) {
            out.Put(pal[i].rgbBlue);
            out.Put(pal[i].rgbGreen);
            out.Put(pal[i].rgbRed);
        }
    }
    WriteRows(out);
    if (!out.Flush())
        throw ZvCodecError("cannot write TGA file");
}

void ZvImageTGA::WriteRows(ZvByteWriter &out) const
{
    const std::uint32_t width = GetWidth();
    const std::uint32_t bytes = GetBpp() / 8;
    const bool alpha = bytes == 3 && mAlpha;
    std::vector<std::uint8_t> row(alpha ? std::size_t(width) * 4 : 0);
    const std::uint32_t alphaMax = AlphaGetMax();
    for (std::uint32_t y = 0; y < GetHeight(); ++y) {
        const std::uint8_t *src = GetBits(y);
        if (!alpha) {
            out.Write(src, std::size_t(width) * bytes);
            continue;
        }
        const std::uint8_t *a = mAlpha + std::size_t(y) * width;
        for (std::uint32_t x = 0; x < width; ++x, src += 3) {
            std::memcpy(&row[4 * std::size_t(x)], src, 3);
            row[4 * std::size_t(x) + 3] = std::uint8_t(a[x] * alphaMax / 255);
        }
        out.Write(row.data(), row.size());
    }
}
