// imagelib/codecs/jpeg2000/jas_pnm.cpp
// Netpbm pictures: P1..P6 and the PAM header of P7 are read, P5 and P6
// written. Samples wider than a byte are big-endian; every maximum value up
// to 65535 is scaled onto 0..255.
#include "imagelib/codecs/codec.h"
#include "imagelib/codecs/jpeg2000/jas_formats.h"
#include "imagelib/codecs/jpeg2000/jas_pixels.h"
#include "imagelib/codecs/jpeg2000/jas_reader.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kTruncated[] = "PNM file is truncated";
constexpr char kBadHeader[] = "PNM header is invalid";
constexpr char kOverMax[] = "PNM sample exceeds its maximum value";
constexpr char kBadData[] = "PNM data is invalid";
constexpr std::uint32_t kMaxSide = 0x7FFFFFFF;

struct PnmHeader
{
    int kind = 0; // the digit after 'P'
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t maxval = 1;
    std::uint32_t depth = 1; // samples per pixel
    bool hasAlpha = false;   // PAM only; the last sample of each pixel
    bool ascii() const { return kind <= 3; }
    bool bitmap() const { return kind == 1 || kind == 4; }
    std::uint32_t sampleBytes() const { return maxval > 255 ? 2 : 1; }
};

bool isSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void readClassicHeader(ZvJasReader &in, PnmHeader &h)
{
    h.width = in.ReadDecimal(kMaxSide, kBadHeader);
    h.height = in.ReadDecimal(kMaxSide, kBadHeader);
    if (!h.bitmap())
        h.maxval = in.ReadDecimal(65535, kBadHeader);
    h.depth = (h.kind == 3 || h.kind == 6) ? 3 : 1;
    // Exactly one whitespace byte separates the header from binary data.
    if (!isSpace(in.Get()))
        throw ZvCodecError(kBadHeader);
}

std::string readPamWord(ZvJasReader &in)
{
    std::string word;
    for (int c = in.Peek(); c != -1 && !isSpace(c); c = in.Peek()) {
        if (word.size() >= 16)
            throw ZvCodecError(kBadHeader);
        word += char(in.Get());
    }
    return word;
}

std::string readPamRestOfLine(ZvJasReader &in)
{
    std::string text;
    for (int c = in.Get(); c != '\n'; c = in.Get()) {
        if (c == -1)
            in.Truncated();
        if (text.size() < 64)
            text += char(c);
    }
    while (!text.empty() && isSpace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    const std::size_t start = text.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start);
}

struct TupleType
{
    const char *name;
    std::uint32_t depth;
    bool alpha;
    bool bilevel;
};

constexpr TupleType kTupleTypes[] = {
    {"BLACKANDWHITE", 1, false, true},
    {"GRAYSCALE", 1, false, false},
    {"RGB", 3, false, false},
    {"BLACKANDWHITE_ALPHA", 2, true, true},
    {"GRAYSCALE_ALPHA", 2, true, false},
    {"RGB_ALPHA", 4, true, false},
};

void checkPamTuple(PnmHeader &h, const std::string &tuple)
{
    if (h.width == 0 || h.height == 0 || h.depth == 0 || h.depth > 4 || h.maxval == 0)
        throw ZvCodecError(kBadHeader);
    h.hasAlpha = h.depth == 2 || h.depth == 4;
    if (tuple.empty())
        return;
    for (const TupleType &t : kTupleTypes) {
        if (tuple == t.name) {
            if (t.depth != h.depth || (t.bilevel && h.maxval != 1))
                throw ZvCodecError(kBadHeader);
            return;
        }
    }
    throw ZvCodecError(kBadHeader);
}

void readPamHeader(ZvJasReader &in, PnmHeader &h)
{
    h.depth = 0;
    h.maxval = 0;
    std::string tuple;
    for (;;) {
        while (isSpace(in.Peek()))
            in.Get();
        if (in.Peek() == '#') {
            readPamRestOfLine(in);
            continue;
        }
        const std::string word = readPamWord(in);
        if (word == "ENDHDR") {
            readPamRestOfLine(in);
            break;
        }
        if (word == "WIDTH")
            h.width = in.ReadDecimal(kMaxSide, kBadHeader);
        else if (word == "HEIGHT")
            h.height = in.ReadDecimal(kMaxSide, kBadHeader);
        else if (word == "DEPTH")
            h.depth = in.ReadDecimal(kMaxSide, kBadHeader);
        else if (word == "MAXVAL")
            h.maxval = in.ReadDecimal(65535, kBadHeader);
        else if (word == "TUPLTYPE")
            tuple = readPamRestOfLine(in);
        else if (word.empty())
            in.Truncated();
        else
            throw ZvCodecError(kBadHeader);
    }
    checkPamTuple(h, tuple);
}

PnmHeader readHeader(ZvJasReader &in)
{
    PnmHeader h;
    if (in.Get() != 'P')
        throw ZvCodecError("Not a PNM file");
    h.kind = in.Get() - '0';
    if (h.kind < 1 || h.kind > 7 || !isSpace(in.Peek()))
        throw ZvCodecError("Not a PNM file");
    if (h.kind == 7)
        readPamHeader(in, h);
    else
        readClassicHeader(in, h);
    if (h.width == 0 || h.height == 0 || h.maxval == 0)
        throw ZvCodecError(kBadHeader);
    return h;
}

// The fewest bytes the pixel data can take, to refuse a large picture from
// a short file before anything is allocated.
std::uint64_t minimumDataBytes(const PnmHeader &h)
{
    if (h.kind == 4)
        return jasMul((std::uint64_t(h.width) + 7) / 8, h.height);
    const std::uint64_t samples = jasMul(jasMul(h.width, h.height), h.depth);
    return h.ascii() ? samples : jasMul(samples, h.sampleBytes());
}

// One row of samples, each checked against the maximum value.
void readSampleRow(ZvJasReader &in, const PnmHeader &h, std::vector<std::uint32_t> &out,
                   std::vector<std::uint8_t> &raw)
{
    const std::size_t count = out.size();
    if (h.ascii()) {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = in.ReadDecimal(h.maxval, kOverMax);
        return;
    }
    const std::uint32_t bytes = h.sampleBytes();
    raw.resize(count * bytes);
    in.Read(raw.data(), raw.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t *p = raw.data() + i * bytes;
        out[i] = bytes == 2 ? std::uint32_t(p[0] << 8 | p[1]) : p[0];
        if (out[i] > h.maxval)
            throw ZvCodecError(kOverMax);
    }
}

// PBM: 1 means black. The picture's palette is black, white, so every bit
// is stored inverted.
void readBitmap(ZvImage &image, ZvJasReader &in, const PnmHeader &h)
{
    const RGBQUAD pal[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    image.SetPalette(pal, 2);
    const std::uint32_t rowBytes = (h.width + 7) / 8;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        jasCheckEscape(image);
        std::uint8_t *row = jasTopRow(image, y);
        if (h.kind == 4) {
            in.Read(row, rowBytes);
            for (std::uint32_t i = 0; i < rowBytes; ++i)
                row[i] = std::uint8_t(~row[i]);
            continue;
        }
        std::memset(row, 0xFF, rowBytes);
        for (std::uint32_t x = 0; x < h.width; ++x) {
            in.SkipSpaceAndComments();
            const int c = in.Get();
            if (c == -1)
                in.Truncated();
            if (c != '0' && c != '1')
                throw ZvCodecError(kBadData);
            if (c == '1')
                row[x >> 3] &= std::uint8_t(~(0x80 >> (x & 7)));
        }
    }
}

void storePixels(ZvImage &image, const PnmHeader &h, std::uint32_t y, const std::vector<std::uint32_t> &s,
                 const ZvSampleScale &scale)
{
    std::uint8_t *row = jasTopRow(image, y);
    const std::uint32_t d = h.depth;
    if (d < 3) {
        for (std::uint32_t x = 0; x < h.width; ++x)
            row[x] = scale(s[std::size_t(x) * d]);
    } else {
        for (std::uint32_t x = 0; x < h.width; ++x, row += 3) {
            const std::uint32_t *p = &s[std::size_t(x) * d];
            row[0] = scale(p[2]);
            row[1] = scale(p[1]);
            row[2] = scale(p[0]);
        }
    }
    if (image.AlphaIsValid()) {
        std::uint8_t *alpha = image.AlphaGetPointer(0, std::int32_t(h.height - 1 - y));
        for (std::uint32_t x = 0; x < h.width; ++x)
            alpha[x] = scale(s[std::size_t(x) * d + d - 1]);
    }
}

void readSamples(ZvImage &image, ZvJasReader &in, const PnmHeader &h)
{
    // Alpha is kept only beside colour, the one place the encoders use it.
    if (h.hasAlpha && h.depth == 4 && !image.AlphaCreate())
        throw ZvCodecError("error: cannot allocate memory");
    const ZvSampleScale scale(h.maxval);
    std::vector<std::uint32_t> samples(std::size_t(h.width) * h.depth);
    std::vector<std::uint8_t> raw;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        jasCheckEscape(image);
        readSampleRow(in, h, samples, raw);
        storePixels(image, h, y, samples, scale);
    }
}

} // namespace

void jasReadPnm(ZvImage &image, ZvFile *stream)
{
    ZvJasReader in(stream, kTruncated);
    const PnmHeader h = readHeader(in);
    in.Require(minimumDataBytes(h));
    const std::uint32_t bpp = h.bitmap() ? 1 : (h.depth >= 3 ? 24 : 8);
    jasCreate(image, h.width, h.height, bpp, ZV_TYPE_PNM);
    if (h.bitmap())
        readBitmap(image, in, h);
    else
        readSamples(image, in, h);
}

void jasWritePnm(const ZvImage &image, ZvFile *stream)
{
    constexpr char kWriteError[] = "Write Error in PNM file";
    const bool grey = image.IsIndexed();
    char head[64];
    const int n = std::snprintf(head, sizeof(head), "P%c\n%u %u\n255\n", grey ? '5' : '6', image.GetWidth(),
                                image.GetHeight());
    jasWriteBytes(stream, head, std::uint64_t(n), kWriteError);
    std::vector<std::uint8_t> row(std::size_t(image.GetWidth()) * (grey ? 1 : 3));
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
        if (grey)
            jasGreyRow(image, y, row.data());
        else
            jasRgbRow(image, y, row.data());
        jasWriteBytes(stream, row.data(), row.size(), kWriteError);
    }
}
