// imagelib/codecs/jpeg2000/jas_ras.cpp
// Sun raster pictures: 1, 8, 24 and 32 bits, raw or byte-run encoded, with
// or without a colour map, read; 8-bit grey and 24-bit written. Header words
// are big-endian; rows are padded to 16 bits.
#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/codecs/jpeg2000/jas_pixels.h"
#include "imagelib/codecs/jpeg2000/jas_reader.h"

#include <cstring>
#include <vector>

namespace {

constexpr char kTruncated[] = "RAS file is truncated";
constexpr std::uint32_t kMagic = 0x59A66A95;
constexpr std::uint32_t kTypeStandard = 1;
constexpr std::uint32_t kTypeByteEncoded = 2;
constexpr std::uint32_t kTypeRgb = 3; // colour samples in red, green, blue order
constexpr std::uint32_t kMapNone = 0;
constexpr std::uint32_t kMapRgb = 1;
constexpr std::uint32_t kMapRaw = 2;

struct RasHeader
{
    std::uint32_t magic, width, height, depth, length, type, maptype, maplength;
    std::uint64_t rowBytes() const { return (std::uint64_t(width) * depth + 15) / 16 * 2; }
};

std::uint32_t bigEndian32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

void putBigEndian32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

RasHeader readHeader(ZvJasReader &in)
{
    std::uint8_t raw[32];
    in.Read(raw, sizeof(raw));
    RasHeader h;
    std::uint32_t *fields[] = {&h.magic,  &h.width, &h.height,  &h.depth,
                               &h.length, &h.type,  &h.maptype, &h.maplength};
    for (int i = 0; i < 8; ++i)
        *fields[i] = bigEndian32(raw + 4 * i);
    if (h.magic != kMagic)
        throw ZvCodecError("Not a RAS file");
    if (h.width == 0 || h.height == 0 || h.width > 0x7FFFFFFF || h.height > 0x7FFFFFFF)
        throw ZvCodecError("RAS header is invalid");
    if (h.depth != 1 && h.depth != 8 && h.depth != 24 && h.depth != 32)
        throw ZvCodecError("Unsupported RAS depth");
    if (h.type > kTypeRgb)
        throw ZvCodecError("Unsupported RAS type");
    if (h.maptype > kMapRaw || (h.maptype == kMapRgb && (h.maplength % 3 != 0 || h.maplength > 768)))
        throw ZvCodecError("RAS colour map is invalid");
    return h;
}

// A map of up to 256 entries: all reds, then all greens, then all blues.
// Raw maps have no defined meaning and are skipped.
std::uint32_t readColourMap(ZvJasReader &in, const RasHeader &h, RGBQUAD *pal)
{
    if (h.maptype != kMapRgb) {
        in.Skip(h.maplength);
        return 0;
    }
    std::uint8_t map[768];
    in.Read(map, h.maplength);
    const std::uint32_t n = h.maplength / 3;
    for (std::uint32_t i = 0; i < n; ++i)
        pal[i] = RGBQUAD{map[2 * n + i], map[n + i], map[i], 0};
    return n;
}

// Rows come raw or through the byte-run code: 0x80 n v repeats v n+1
// times, 0x80 0 is a literal 0x80. A run may continue into the next row.
class RowSource
{
  public:
    RowSource(ZvJasReader &in, bool encoded)
        : mIn(in)
        , mEncoded(encoded)
    {
    }
    void Read(std::uint8_t *out, std::size_t size)
    {
        if (!mEncoded) {
            mIn.Read(out, size);
            return;
        }
        for (std::size_t i = 0; i < size; ++i)
            out[i] = Next();
    }

  private:
    std::uint8_t Next()
    {
        if (mRun > 0) {
            --mRun;
            return mValue;
        }
        const int c = Byte();
        if (c != 0x80)
            return std::uint8_t(c);
        const int count = Byte();
        if (count == 0)
            return 0x80;
        mValue = std::uint8_t(Byte());
        mRun = std::uint32_t(count); // count + 1 copies, this one included
        return mValue;
    }
    int Byte()
    {
        const int c = mIn.Get();
        if (c < 0)
            mIn.Truncated();
        return c;
    }

    ZvJasReader &mIn;
    bool mEncoded;
    std::uint32_t mRun = 0;
    std::uint8_t mValue = 0;
};

void storeRow(const RasHeader &h, const std::uint8_t *src, std::uint8_t *dst, bool invert)
{
    if (h.depth == 1) {
        const std::uint32_t n = (h.width + 7) / 8;
        for (std::uint32_t i = 0; i < n; ++i)
            dst[i] = invert ? std::uint8_t(~src[i]) : src[i];
        return;
    }
    if (h.depth == 8) {
        std::memcpy(dst, src, h.width);
        return;
    }
    const std::uint32_t step = h.depth / 8;
    const std::uint32_t skip = h.depth == 32 ? 1 : 0; // the pad byte leads
    const bool rgb = h.type == kTypeRgb;
    for (std::uint32_t x = 0; x < h.width; ++x, src += step, dst += 3) {
        const std::uint8_t *p = src + skip;
        dst[0] = rgb ? p[2] : p[0];
        dst[1] = p[1];
        dst[2] = rgb ? p[0] : p[2];
    }
}

void setPalette(ZvImage &image, const RasHeader &h, const RGBQUAD *map, std::uint32_t entries)
{
    if (entries > 0) {
        image.SetPalette(map, entries);
    } else if (h.depth == 1) {
        const RGBQUAD bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        image.SetPalette(bw, 2);
    }
}

} // namespace

void jasReadRas(ZvImage &image, ZvFile *stream)
{
    ZvJasReader in(stream, kTruncated);
    const RasHeader h = readHeader(in);
    RGBQUAD map[256] = {};
    const std::uint32_t entries = readColourMap(in, h, map);
    const bool encoded = h.type == kTypeByteEncoded;
    const std::uint64_t total = jasMul(h.rowBytes(), h.height);
    in.Require(encoded ? jasMul((total + 255) / 256, 3) : total);
    jasCreate(image, h.width, h.height, h.depth == 1 ? 1 : (h.depth == 8 ? 8 : 24), ZV_TYPE_RAS);
    setPalette(image, h, map, entries);
    // Without a map a set bit is black, and our palette puts black first.
    const bool invert = h.depth == 1 && entries == 0;
    RowSource rows(in, encoded);
    std::vector<std::uint8_t> row(h.rowBytes());
    for (std::uint32_t y = 0; y < h.height; ++y) {
        jasCheckEscape(image);
        rows.Read(row.data(), row.size());
        storeRow(h, row.data(), jasTopRow(image, y), invert);
    }
}

void jasWriteRas(const ZvImage &image, ZvFile *stream)
{
    constexpr char kWriteError[] = "Write Error in RAS file";
    const bool grey = image.IsIndexed();
    RasHeader h{kMagic, image.GetWidth(), image.GetHeight(), grey ? 8u : 24u, 0, kTypeStandard, kMapNone, 0};
    const std::uint64_t total = jasMul(h.rowBytes(), h.height);
    h.length = total > 0xFFFFFFFF ? 0 : std::uint32_t(total);
    std::uint8_t head[32];
    const std::uint32_t fields[] = {h.magic, h.width, h.height, h.depth, h.length, h.type, h.maptype, 0};
    for (int i = 0; i < 8; ++i)
        putBigEndian32(head + 4 * i, fields[i]);
    jasWriteBytes(stream, head, sizeof(head), kWriteError);
    // Standard type rows hold blue, green, red: the DIB's own order.
    std::vector<std::uint8_t> row(h.rowBytes(), 0);
    for (std::uint32_t y = 0; y < h.height; ++y) {
        if (grey)
            jasGreyRow(image, y, row.data());
        else
            std::memcpy(row.data(), jasTopRow(image, y), std::size_t(h.width) * 3);
        jasWriteBytes(stream, row.data(), row.size(), kWriteError);
    }
}
