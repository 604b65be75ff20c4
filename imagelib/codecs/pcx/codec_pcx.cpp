// imagelib/codecs/pcx/codec_pcx.cpp
#include "imagelib/codecs/pcx/codec_pcx.h"
#include "imagelib/streams/byte_reader.h"
#include "imagelib/streams/byte_writer.h"
#include "imagelib/streams/file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

// The 128-byte file header; multi-byte fields are little-endian.
struct PcxHeader
{
    std::uint8_t manufacturer = 0;
    std::uint8_t version = 0;
    std::uint8_t encoding = 0;
    std::uint8_t bitsPerPixel = 0;
    std::uint16_t xMin = 0;
    std::uint16_t yMin = 0;
    std::uint16_t xMax = 0;
    std::uint16_t yMax = 0;
    std::uint16_t hDpi = 0;
    std::uint16_t vDpi = 0;
    std::uint8_t colourMap[48] = {};
    std::uint8_t planes = 0;
    std::uint16_t bytesPerLine = 0;

    std::uint32_t Width() const { return std::uint32_t(xMax) - xMin + 1; }
    std::uint32_t Height() const { return std::uint32_t(yMax) - yMin + 1; }
    std::uint32_t LineBytes() const { return std::uint32_t(bytesPerLine) * planes; }
    std::uint32_t OutputBpp() const
    {
        if (bitsPerPixel == 8)
            return planes == 1 ? 8 : 24;
        return bitsPerPixel == 1 && planes == 1 ? 1 : 4;
    }
};

namespace {

constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kPaletteSignature = 12;
constexpr std::uint32_t kMaxRun = 63;

// The EGA colours, for version 3 files, which carry no palette.
// clang-format off
constexpr std::uint8_t kEgaPalette[48] = {
    0, 0, 0,   0, 0, 170,   0, 170, 0,   0, 170, 170,   170, 0, 0,   170, 0, 170,   170, 85, 0,
    170, 170, 170,   85, 85, 85,   85, 85, 255,   85, 255, 85,   85, 255, 255,   255, 85, 85,
    255, 85, 255,   255, 255, 85,   255, 255, 255,
};
// clang-format on

std::uint16_t le16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

PcxHeader parseHeader(const std::uint8_t *b)
{
    PcxHeader h;
    h.manufacturer = b[0];
    h.version = b[1];
    h.encoding = b[2];
    h.bitsPerPixel = b[3];
    h.xMin = le16(b + 4);
    h.yMin = le16(b + 6);
    h.xMax = le16(b + 8);
    h.yMax = le16(b + 10);
    h.hDpi = le16(b + 12);
    h.vDpi = le16(b + 14);
    std::memcpy(h.colourMap, b + 16, sizeof(h.colourMap));
    h.planes = b[65];
    h.bytesPerLine = le16(b + 66);
    return h;
}

const char *checkLayout(const PcxHeader &h)
{
    switch (h.bitsPerPixel) {
    case 1: return h.planes > 4 ? "Can't handle more than 4 planes" : nullptr;
    case 2:
    case 4: return h.planes > 1 ? "Can't handle packed pixels with more than 1 plane." : nullptr;
    case 8:
        if (h.planes > 4)
            return "Can't handle image with more than 4 planes";
        return h.planes == 2 ? "Can't handle more than 1 bit per pixel" : nullptr;
    default: return "Can't handle more than 1 bit per pixel";
    }
}

// The message that rejects the header, or null.
const char *checkHeader(const PcxHeader &h)
{
    const bool knownVersion = h.version == 0 || (h.version >= 2 && h.version <= 5);
    if (h.manufacturer != kManufacturer || !knownVersion)
        return "Error: Not a PCX file";
    if (h.encoding > 1)
        return "PCX file has unknown encoding scheme";
    if (const char *problem = checkLayout(h))
        return problem;
    if (h.planes == 0 || h.xMax < h.xMin || h.yMax < h.yMin ||
        std::uint64_t(h.bytesPerLine) * 8 < std::uint64_t(h.Width()) * h.bitsPerPixel)
        return "corrupted PCX";
    return nullptr;
}

// Plane lines as the file stores them. Runs may carry on from one line into
// the next, as many writers let them; a run that carries on past the last
// line of the picture is an error.
class PcxLineSource
{
  public:
    PcxLineSource(ZvByteReader &in, bool rle)
        : mIn(in)
        , mRle(rle)
    {
    }

    bool Fill(std::uint8_t *out, std::uint32_t count)
    {
        if (!mRle)
            return mIn.Read(out, count);
        while (count > 0) {
            if (mLeft == 0) {
                // Most bytes of a photograph stand for themselves.
                const int b = mIn.Get();
                if (b < 0)
                    return false;
                if ((b & 0xC0) != 0xC0) {
                    *out++ = std::uint8_t(b);
                    --count;
                    continue;
                }
                if (!StartRun(b))
                    return false;
            }
            const std::uint32_t n = std::min(mLeft, count);
            std::memset(out, mValue, n);
            out += n;
            count -= n;
            mLeft -= n;
        }
        return true;
    }
    bool RunPending() const { return mLeft > 0; }

  private:
    bool StartRun(int b)
    {
        const int v = mIn.Get();
        if (v < 0)
            return false;
        mLeft = std::uint32_t(b & 0x3F);
        mValue = std::uint8_t(v);
        return true;
    }

    ZvByteReader &mIn;
    bool mRle;
    std::uint32_t mLeft = 0;
    std::uint8_t mValue = 0;
};

void setNibble(std::uint8_t *row, std::uint32_t x, std::uint32_t index)
{
    if (x & 1)
        row[x / 2] = std::uint8_t((row[x / 2] & 0xF0) | index);
    else
        row[x / 2] = std::uint8_t((row[x / 2] & 0x0F) | (index << 4));
}

// Bit planes (1 bit per pixel each, plane 0 least significant) to 4-bit indices.
void planarToNibbles(const PcxHeader &h, const std::uint8_t *line, std::uint8_t *dst)
{
    for (std::uint32_t x = 0; x < h.Width(); ++x) {
        const std::uint32_t shift = 7 - (x & 7);
        std::uint32_t index = 0;
        for (std::uint32_t p = 0; p < h.planes; ++p)
            index |= ((line[p * h.bytesPerLine + x / 8] >> shift) & 1u) << p;
        setNibble(dst, x, index);
    }
}

void twoBitToNibbles(const PcxHeader &h, const std::uint8_t *line, std::uint8_t *dst)
{
    for (std::uint32_t x = 0; x < h.Width(); ++x)
        setNibble(dst, x, (line[x / 4] >> (6 - 2 * (x & 3))) & 3u);
}

void planesToBgr(const PcxHeader &h, const std::uint8_t *line, std::uint8_t *dst, std::uint8_t *alpha)
{
    const std::uint8_t *red = line;
    const std::uint8_t *green = line + h.bytesPerLine;
    const std::uint8_t *blue = green + h.bytesPerLine;
    for (std::uint32_t x = 0; x < h.Width(); ++x, dst += 3) {
        dst[0] = blue[x];
        dst[1] = green[x];
        dst[2] = red[x];
    }
    if (alpha)
        std::memcpy(alpha, blue + h.bytesPerLine, h.Width());
}

void convertLine(const PcxHeader &h, const std::uint8_t *line, std::uint8_t *dst, std::uint8_t *alpha)
{
    if (h.bitsPerPixel == 8 && h.planes >= 3)
        planesToBgr(h, line, dst, alpha);
    else if (h.bitsPerPixel == 8)
        std::memcpy(dst, line, h.Width());
    else if (h.bitsPerPixel == 4 || (h.bitsPerPixel == 1 && h.planes == 1))
        std::memcpy(dst, line, (std::size_t(h.Width()) * h.bitsPerPixel + 7) / 8);
    else if (h.bitsPerPixel == 2)
        twoBitToNibbles(h, line, dst);
    else
        planarToNibbles(h, line, dst);
}

void setPaletteFromRgb(ZvImage &image, const std::uint8_t *rgb, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i)
        image.SetPaletteColor(std::uint8_t(i), RGBQUAD{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0});
}

} // namespace

bool ZvImagePCX::Decode(ZvFile *stream)
{
    if (!stream)
        return false;
    return RunGuarded(Step::Decode, "Can't read PCX image", [&] { DecodeStream(stream); });
}

void ZvImagePCX::DecodeStream(ZvFile *stream)
{
    ZvByteReader in(stream);
    std::uint8_t raw[128];
    if (!in.Read(raw, sizeof(raw)))
        throw ZvCodecError("Error: Not a PCX file");
    const PcxHeader head = parseHeader(raw);
    if (const char *problem = checkHeader(head))
        throw ZvCodecError(problem);
    if (GetEscape() == -1) {
        mHead.biWidth = std::int32_t(head.Width());
        mHead.biHeight = std::int32_t(head.Height());
        mHead.biBitCount = std::uint16_t(head.OutputBpp());
        mInfo.dwType = ZV_TYPE_PCX;
        return;
    }
    // A picture the file cannot fill is refused before it is allocated: a
    // run of two bytes stands for at most 63.
    const std::uint64_t total = std::uint64_t(head.LineBytes()) * head.Height();
    const std::int64_t left = in.Left();
    if (left >= 0 && std::uint64_t(left) < (head.encoding == 1 ? 2 * (total / kMaxRun) : total))
        throw ZvCodecError("Can't read PCX image");
    if (!Create(head.Width(), head.Height(), head.OutputBpp(), ZV_TYPE_PCX))
        throw ZvCodecError(GetLastError());
    if (head.hDpi > 0)
        SetXDPI(head.hDpi);
    if (head.vDpi > 0)
        SetYDPI(head.vDpi);
    if (head.bitsPerPixel == 8 && head.planes == 4 && !AlphaCreate())
        throw ZvCodecError("Can't read PCX image");
    ReadRows(in, head);
    ReadPalette(stream, head);
}

void ZvImagePCX::ReadRows(ZvByteReader &in, const PcxHeader &head)
{
    std::vector<std::uint8_t> line(head.LineBytes());
    PcxLineSource source(in, head.encoding == 1);
    const std::uint32_t height = head.Height();
    for (std::uint32_t r = 0; r < height; ++r) {
        if (GetEscape())
            throw ZvCodecError("Cancelled");
        if (!source.Fill(line.data(), head.LineBytes()))
            throw ZvCodecError("Can't read PCX image");
        const std::uint32_t y = height - 1 - r; // the file starts at the top row
        std::uint8_t *alpha = mAlpha ? mAlpha + std::size_t(y) * head.Width() : nullptr;
        convertLine(head, line.data(), GetBits(y), alpha);
    }
    if (source.RunPending())
        throw ZvCodecError("repeat count spans end of image");
}

// 256-colour pictures keep their palette in the last 769 bytes of the file:
// a signature byte, then red, green, blue for each entry.
void ZvImagePCX::ReadPalette(ZvFile *stream, const PcxHeader &head)
{
    if (head.OutputBpp() == 1) {
        SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
        return;
    }
    if (head.OutputBpp() == 4) {
        const bool ega = head.version == 3;
        setPaletteFromRgb(*this, ega ? kEgaPalette : head.colourMap, 16);
        return;
    }
    if (head.OutputBpp() != 8)
        return;
    std::uint8_t tail[769];
    const std::int64_t size = stream->Size();
    const std::int64_t at = size - std::int64_t(sizeof(tail));
    if (at < 128 || !stream->Seek(at, SEEK_FROM_START) ||
        stream->Read(tail, 1, sizeof(tail)) != sizeof(tail) || tail[0] != kPaletteSignature)
        throw ZvCodecError("bad color map signature");
    setPaletteFromRgb(*this, tail + 1, 256);
}

bool ZvImagePCX::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    return RunGuarded(Step::Encode, "can't allocate memory", [&] { EncodeStream(stream); });
}

namespace {

void put16(std::uint8_t *p, std::uint32_t value)
{
    p[0] = std::uint8_t(value & 0xFF);
    p[1] = std::uint8_t((value >> 8) & 0xFF);
}

std::uint32_t clampDpi(std::int32_t dpi)
{
    return std::uint32_t(std::clamp(dpi, 0, 0xFFFF));
}

std::uint32_t greyOf(RGBQUAD c)
{
    return (306u * c.rgbRed + 601u * c.rgbGreen + 117u * c.rgbBlue) >> 10;
}

// Runs never cross a plane line; a single byte below 0xC0 stands for itself.
void writeRle(ZvByteWriter &out, const std::uint8_t *p, std::uint32_t count)
{
    std::uint32_t i = 0;
    while (i < count) {
        const std::uint8_t v = p[i];
        std::uint32_t run = 1;
        while (i + run < count && run < kMaxRun && p[i + run] == v)
            ++run;
        if (run > 1 || (v & 0xC0) == 0xC0)
            out.Put(std::uint8_t(0xC0 | run));
        out.Put(v);
        i += run;
    }
}

struct PlaneSplit
{
    std::uint32_t width = 0;
    std::uint32_t bytesPerLine = 0;
    bool invert = false; // 1-bit pictures whose entry 0 is the lighter colour
    std::uint32_t alphaMax = 255;
};

void splitOneBit(const PlaneSplit &s, const std::uint8_t *src, std::uint8_t *line)
{
    const std::uint32_t bytes = (s.width + 7) / 8;
    for (std::uint32_t i = 0; i < bytes; ++i)
        line[i] = s.invert ? std::uint8_t(~src[i]) : src[i];
    if (s.width & 7) // bits past the right edge are not pixels
        line[bytes - 1] &= std::uint8_t(0xFF << (8 - (s.width & 7)));
}

void splitFourBit(const PlaneSplit &s, const std::uint8_t *src, std::uint8_t *line)
{
    std::memset(line, 0, std::size_t(s.bytesPerLine) * 4);
    for (std::uint32_t x = 0; x < s.width; ++x) {
        const std::uint32_t index = (x & 1) ? (src[x / 2] & 0x0F) : (src[x / 2] >> 4);
        const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
        for (std::uint32_t p = 0; p < 4; ++p)
            if (index & (1u << p))
                line[p * s.bytesPerLine + x / 8] |= bit;
    }
}

void splitTrueColour(const PlaneSplit &s, const std::uint8_t *src, const std::uint8_t *alpha,
                     std::uint8_t *line)
{
    std::uint8_t *red = line;
    std::uint8_t *green = line + s.bytesPerLine;
    std::uint8_t *blue = green + s.bytesPerLine;
    for (std::uint32_t x = 0; x < s.width; ++x, src += 3) {
        blue[x] = src[0];
        green[x] = src[1];
        red[x] = src[2];
    }
    if (alpha) {
        std::uint8_t *a = blue + s.bytesPerLine;
        for (std::uint32_t x = 0; x < s.width; ++x)
            a[x] = std::uint8_t(alpha[x] * s.alphaMax / 255);
    }
}

} // namespace

void ZvImagePCX::EncodeStream(ZvFile *stream)
{
    const std::uint32_t bpp = GetBpp();
    // Sizes travel as 16-bit fields: the last column and row, and the even
    // bytes-per-line count.
    if (GetWidth() > 0xFFFE || GetHeight() > 0x10000)
        throw ZvCodecError("image too large for PCX");
    const std::uint32_t planeBits = bpp >= 8 ? 8 : 1;
    const std::uint32_t planes = bpp == 24 ? (mAlpha ? 4 : 3) : (bpp == 4 ? 4 : 1);
    std::uint32_t bytesPerLine = (GetWidth() * planeBits + 7) / 8;
    bytesPerLine += bytesPerLine & 1;

    std::uint8_t head[128] = {kManufacturer, 5, 1, std::uint8_t(planeBits)};
    put16(head + 8, GetWidth() - 1);
    put16(head + 10, GetHeight() - 1);
    put16(head + 12, clampDpi(GetXDPI()));
    put16(head + 14, clampDpi(GetYDPI()));
    if (bpp == 4) {
        for (std::uint8_t i = 0; i < 16; ++i) {
            const RGBQUAD c = GetPaletteColor(i);
            head[16 + 3 * i] = c.rgbRed;
            head[17 + 3 * i] = c.rgbGreen;
            head[18 + 3 * i] = c.rgbBlue;
        }
    } else if (bpp == 1) {
        std::memset(head + 19, 255, 3); // black, then white
    }
    head[65] = std::uint8_t(planes);
    put16(head + 66, bytesPerLine);

    ZvByteWriter out(stream);
    out.Write(head, sizeof(head));
    if (!out.Flush())
        throw ZvCodecError("cannot write PCX header");
    WriteRows(out, bytesPerLine);
    if (bpp == 8) {
        out.Put(kPaletteSignature);
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD c = GetPaletteColor(std::uint8_t(i));
            const std::uint8_t rgb[3] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
            out.Write(rgb, 3);
        }
    }
    if (!out.Flush())
        throw ZvCodecError("cannot write PCX file");
}

void ZvImagePCX::WriteRows(ZvByteWriter &out, std::uint32_t bytesPerLine) const
{
    const std::uint32_t bpp = GetBpp();
    const std::uint32_t planes = bpp == 24 ? (mAlpha ? 4 : 3) : (bpp == 4 ? 4 : 1);
    PlaneSplit split;
    split.width = GetWidth();
    split.bytesPerLine = bytesPerLine;
    split.alphaMax = AlphaGetMax();
    // Readers show a one-plane 1-bit picture as black (0) and white (1).
    split.invert = bpp == 1 && greyOf(GetPaletteColor(0)) > greyOf(GetPaletteColor(1));
    std::vector<std::uint8_t> line(std::size_t(bytesPerLine) * planes, 0);
    for (std::uint32_t r = GetHeight(); r-- > 0;) {
        const std::uint8_t *src = GetBits(r);
        if (bpp == 1)
            splitOneBit(split, src, line.data());
        else if (bpp == 4)
            splitFourBit(split, src, line.data());
        else if (bpp == 8)
            std::memcpy(line.data(), src, split.width);
        else
            splitTrueColour(split, src, mAlpha ? mAlpha + std::size_t(r) * split.width : nullptr,
                            line.data());
        for (std::uint32_t p = 0; p < planes; ++p)
            writeRle(out, line.data() + std::size_t(p) * bytesPerLine, bytesPerLine);
    }
}
