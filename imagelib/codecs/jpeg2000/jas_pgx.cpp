// imagelib/codecs/jpeg2000/jas_pgx.cpp
// PGX, the one-component test format of the JPEG 2000 conformance suite:
// "PG ML + 8 width height\n", then the samples, one byte each up to 8 bits
// and two above; "ML" is big-endian, "LM" little-endian; "-" marks signed
// (two's complement) samples.
#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/codecs/jpeg2000/jas_pixels.h"
#include "imagelib/codecs/jpeg2000/jas_reader.h"

#include <cstdio>
#include <vector>

namespace {

constexpr char kBadHeader[] = "PGX header is invalid";

struct PgxHeader
{
    bool bigEndian = true;
    bool sgnd = false;
    std::uint32_t depth = 8;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t sampleBytes() const { return depth > 8 ? 2 : 1; }
};

void skipBlanks(ZvJasReader &in)
{
    while (in.Peek() == ' ' || in.Peek() == '\t')
        in.Get();
}

PgxHeader readHeader(ZvJasReader &in)
{
    PgxHeader h;
    if (in.Get() != 'P' || in.Get() != 'G')
        throw ZvCodecError("Not a PGX file");
    skipBlanks(in);
    const int a = in.Get();
    const int b = in.Get();
    if ((a != 'M' || b != 'L') && (a != 'L' || b != 'M'))
        throw ZvCodecError(kBadHeader);
    h.bigEndian = a == 'M';
    skipBlanks(in);
    if (in.Peek() == '+' || in.Peek() == '-')
        h.sgnd = in.Get() == '-';
    h.depth = in.ReadDecimal(16, "PGX depth not supported");
    h.width = in.ReadDecimal(0x7FFFFFFF, kBadHeader);
    h.height = in.ReadDecimal(0x7FFFFFFF, kBadHeader);
    const int end = in.Get();
    if (h.depth == 0 || h.width == 0 || h.height == 0 || (end != '\n' && end != ' ' && end != '\r'))
        throw ZvCodecError(kBadHeader);
    return h;
}

// Signed samples move up by half the range, as every JPEG 2000 viewer shows
// them; values outside the declared depth are clamped.
std::uint32_t sampleAt(const PgxHeader &h, const std::uint8_t *p)
{
    std::uint32_t raw = p[0];
    if (h.sampleBytes() == 2)
        raw = h.bigEndian ? std::uint32_t(p[0] << 8 | p[1]) : std::uint32_t(p[1] << 8 | p[0]);
    const std::int64_t max = (std::int64_t(1) << h.depth) - 1;
    std::int64_t v = raw;
    if (h.sgnd) {
        const std::uint32_t bits = h.sampleBytes() * 8;
        if (raw & (1u << (bits - 1)))
            v -= std::int64_t(1) << bits;
        v += std::int64_t(1) << (h.depth - 1);
    }
    return std::uint32_t(v < 0 ? 0 : (v > max ? max : v));
}

} // namespace

void jasReadPgx(ZvImage &image, ZvFile *stream)
{
    ZvJasReader in(stream, "PGX file is truncated");
    const PgxHeader h = readHeader(in);
    in.Require(jasMul(jasMul(h.width, h.height), h.sampleBytes()));
    jasCreate(image, h.width, h.height, 8, ZV_TYPE_PGX);
    const ZvSampleScale scale((1u << h.depth) - 1);
    std::vector<std::uint8_t> raw(std::size_t(h.width) * h.sampleBytes());
    for (std::uint32_t y = 0; y < h.height; ++y) {
        jasCheckEscape(image);
        in.Read(raw.data(), raw.size());
        std::uint8_t *row = jasTopRow(image, y);
        for (std::uint32_t x = 0; x < h.width; ++x)
            row[x] = scale(sampleAt(h, raw.data() + std::size_t(x) * h.sampleBytes()));
    }
}

void jasWritePgx(const ZvImage &image, ZvFile *stream)
{
    constexpr char kWriteError[] = "Write Error in PGX file";
    char head[64];
    const int n = std::snprintf(head, sizeof(head), "PG ML + 8 %u %u\n", image.GetWidth(), image.GetHeight());
    jasWriteBytes(stream, head, std::uint64_t(n), kWriteError);
    std::vector<std::uint8_t> row(image.GetWidth());
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        jasGreyRow(image, y, row.data());
        jasWriteBytes(stream, row.data(), row.size(), kWriteError);
    }
}
