// tests/imagelib/colour_read_test.cpp
// What the JPEG, PNG, TIFF and WebP decoders say a picture's colours are
// (ICC profiles, PNG's sRGB/gAMA/cHRM chunks, EXIF's Adobe RGB mark) on
// every decode, CMYK JPEGs through their profile against ImageMagick and
// jpgicc, and decoded wide-gamut patches converted to sRGB against transicc.
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/colour_space.h"
#include "imagelib/core/image.h"
#include "imagelib/core/photo_info.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/test_profiles.h"

#include <gtest/gtest.h>

#include <cstdio> // jpeglib.h needs FILE declared first
#include <jpeglib.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- pictures in and out --------------------------------------------------

Bytes encode(ZvImage &picture, std::uint32_t type, std::uint32_t option = 0, std::uint8_t quality = 90)
{
    picture.SetCodecOption(option);
    picture.SetJpegQuality(quality);
    std::uint8_t *buffer = nullptr;
    std::int32_t size = 0;
    EXPECT_TRUE(picture.Encode(buffer, size, type)) << picture.GetLastError();
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// The picture encoded with a profile and an EXIF block as its photo information.
Bytes encodeWith(const ZvImage &source, std::uint32_t type, const Bytes &icc, const Bytes &exif = {},
                 std::uint32_t option = 0, std::uint8_t quality = 90)
{
    ZvImage picture(source, true);
    picture.SetKeepPhotoInfo(true);
    auto info = std::make_shared<ZvPhotoInfo>();
    info->icc = icc;
    info->exif = exif;
    picture.SetPhotoInfo(info);
    return encode(picture, type, option, quality);
}

struct DecodeMode
{
    bool keep = false;
    std::int32_t escape = 0; // -1: header only
    std::uint8_t scale = 0;  // JPEG only
};

ZvImage decode(Bytes bytes, std::uint32_t type, DecodeMode mode = {})
{
    ZvImage picture;
    picture.SetKeepPhotoInfo(mode.keep);
    picture.SetJpegScale(mode.scale);
    picture.SetEscape(mode.escape);
    EXPECT_TRUE(picture.Decode(bytes.data(), std::uint32_t(bytes.size()), type)) << picture.GetLastError();
    picture.SetEscape(0);
    return picture;
}

Bytes asBytes(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

Bytes iccOf(const ZvImage &picture)
{
    const ZvColourSpace *colour = picture.GetColourSpace();
    return colour && colour->kind == ZvColourKind::Icc ? colour->icc : Bytes();
}

// Flat patches of size x size pixels side by side, so that lossy coding
// leaves their centres alone.
ZvImage patchStrip(const std::vector<Rgb> &patches, int size)
{
    ZvImage picture(std::uint32_t(patches.size() * size), std::uint32_t(size), 24);
    for (std::size_t i = 0; i < patches.size(); ++i)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                picture.SetPixelColor(std::int32_t(i * size + x), y,
                                      RGBQUAD{std::uint8_t(patches[i][2]), std::uint8_t(patches[i][1]),
                                              std::uint8_t(patches[i][0]), 0});
    return picture;
}

std::vector<Rgb> centres(const Rgb8 &rgb, int count, int size)
{
    std::vector<Rgb> out;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = (std::size_t(size / 2) * rgb.width + std::size_t(i * size + size / 2)) * 3;
        out.push_back({rgb.rgb[at], rgb.rgb[at + 1], rgb.rgb[at + 2]});
    }
    return out;
}

void expectNear(const std::vector<Rgb> &got, const std::vector<Rgb> &want, int tolerance)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(std::abs(got[i][c] - want[i][c]), tolerance)
                << "patch " << i << " channel " << c << ": " << got[i][c] << " against " << want[i][c];
}

// ---- TIFF structures: EXIF blocks and small TIFF files --------------------

void put16(Bytes &b, std::size_t at, std::uint32_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void put32(Bytes &b, std::size_t at, std::uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A little-endian TIFF structure built directory by directory; a field may
// point at another directory or at a directory's strip of pixels.
class TiffBuilder
{
  public:
    int Directory()
    {
        mDirs.emplace_back();
        return int(mDirs.size() - 1);
    }
    void Shorts(int dir, std::uint16_t tag, const std::vector<std::uint16_t> &values)
    {
        Bytes v(values.size() * 2);
        for (std::size_t i = 0; i < values.size(); ++i)
            put16(v, 2 * i, values[i]);
        Add(dir, {tag, 3, std::uint32_t(values.size()), v});
    }
    void Long(int dir, std::uint16_t tag, std::uint32_t value)
    {
        Bytes v(4);
        put32(v, 0, value);
        Add(dir, {tag, 4, 1, v});
    }
    void Ascii(int dir, std::uint16_t tag, const std::string &text)
    {
        Bytes v(text.begin(), text.end());
        v.push_back(0);
        Add(dir, {tag, 2, std::uint32_t(v.size()), v});
    }
    void Link(int dir, std::uint16_t tag, int target) { Add(dir, {tag, 4, 1, Bytes(4), target}); }
    // One strip of RGB pixels, top row first.
    void Strip(int dir, std::uint32_t width, std::uint32_t height, const Bytes &rgb)
    {
        Shorts(dir, 256, {std::uint16_t(width)});
        Shorts(dir, 257, {std::uint16_t(height)});
        Shorts(dir, 258, {8, 8, 8});
        Shorts(dir, 259, {1});
        Shorts(dir, 262, {2});
        Add(dir, {273, 4, 1, Bytes(4), -1, true});
        Shorts(dir, 277, {3});
        Long(dir, 278, height);
        Long(dir, 279, std::uint32_t(rgb.size()));
        mDirs[std::size_t(dir)].pixels = rgb;
    }
    void Next(int dir, int next) { mDirs[std::size_t(dir)].next = next; }

    Bytes Build()
    {
        std::vector<std::size_t> at(mDirs.size()), pixelsAt(mDirs.size());
        std::size_t end = 8;
        for (std::size_t d = 0; d < mDirs.size(); ++d) {
            std::sort(mDirs[d].fields.begin(), mDirs[d].fields.end(),
                      [](const Field &a, const Field &b) { return a.tag < b.tag; });
            at[d] = end;
            end += 2 + 12 * mDirs[d].fields.size() + 4;
            for (const Field &f : mDirs[d].fields)
                if (f.value.size() > 4)
                    end += (f.value.size() + 1) & ~std::size_t(1);
        }
        for (std::size_t d = 0; d < mDirs.size(); ++d) {
            pixelsAt[d] = end;
            end += mDirs[d].pixels.size();
        }
        Bytes out(end);
        out[0] = out[1] = 'I';
        put16(out, 2, 42);
        put32(out, 4, std::uint32_t(at[0]));
        for (std::size_t d = 0; d < mDirs.size(); ++d) {
            const Dir &dir = mDirs[d];
            std::size_t entry = at[d] + 2, extra = at[d] + 2 + 12 * dir.fields.size() + 4;
            put16(out, at[d], std::uint32_t(dir.fields.size()));
            for (const Field &f : dir.fields) {
                Bytes value = f.value;
                if (f.link >= 0)
                    put32(value, 0, std::uint32_t(at[std::size_t(f.link)]));
                if (f.strip)
                    put32(value, 0, std::uint32_t(pixelsAt[d]));
                put16(out, entry, f.tag);
                put16(out, entry + 2, f.type);
                put32(out, entry + 4, f.count);
                if (value.size() <= 4) {
                    std::copy(value.begin(), value.end(), out.begin() + std::ptrdiff_t(entry + 8));
                } else {
                    put32(out, entry + 8, std::uint32_t(extra));
                    std::copy(value.begin(), value.end(), out.begin() + std::ptrdiff_t(extra));
                    extra += (value.size() + 1) & ~std::size_t(1);
                }
                entry += 12;
            }
            put32(out, entry, dir.next >= 0 ? std::uint32_t(at[std::size_t(dir.next)]) : 0);
            std::copy(dir.pixels.begin(), dir.pixels.end(), out.begin() + std::ptrdiff_t(pixelsAt[d]));
        }
        return out;
    }

  private:
    struct Field
    {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        Bytes value;
        int link = -1;
        bool strip = false;
    };
    struct Dir
    {
        std::vector<Field> fields;
        int next = -1;
        Bytes pixels;
    };
    void Add(int dir, Field f) { mDirs[std::size_t(dir)].fields.push_back(std::move(f)); }

    std::vector<Dir> mDirs;
};

constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagColourSpace = 0xA001;
constexpr std::uint16_t kTagInteropIfd = 0xA005;

struct ExifCase
{
    const char *name;
    int colourSpace;     // 0: no ColorSpace tag
    const char *interop; // null: no interoperability directory
    bool adobeRgb;
};

// The EXIF and interoperability directories of a case, hung from main.
void addExif(TiffBuilder &tiff, int main, const ExifCase &c)
{
    const int exif = tiff.Directory();
    tiff.Link(main, kTagExifIfd, exif);
    if (c.colourSpace)
        tiff.Shorts(exif, kTagColourSpace, {std::uint16_t(c.colourSpace)});
    tiff.Long(exif, 0x9000 + 1, 0); // a neighbour, so that the directory is never empty
    if (c.interop) {
        const int interop = tiff.Directory();
        tiff.Link(exif, kTagInteropIfd, interop);
        tiff.Ascii(interop, 0x0001, c.interop);
        tiff.Shorts(interop, 0x0002, {0x3130});
    }
}

// An APP1 payload: "Exif\0\0" and the TIFF structure.
Bytes exifPayload(const ExifCase &c)
{
    TiffBuilder tiff;
    const int main = tiff.Directory();
    tiff.Shorts(main, 0x0112, {1});
    addExif(tiff, main, c);
    Bytes out = {'E', 'x', 'i', 'f', 0, 0};
    const Bytes body = tiff.Build();
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes rgbRows(const ZvImage &picture)
{
    return toRgb(picture).rgb;
}

// ---- PNG chunks ------------------------------------------------------------

std::uint32_t crc32(const Bytes &bytes, std::size_t from)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void putBe32(Bytes &b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(std::uint8_t(v >> shift));
}

Bytes pngChunk(const std::string &type, const std::vector<std::uint32_t> &words, const Bytes &raw = {})
{
    Bytes data = raw;
    for (std::uint32_t w : words)
        putBe32(data, w);
    Bytes out;
    putBe32(out, std::uint32_t(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBe32(out, crc32(typed, 0));
    return out;
}

std::uint32_t be32(const Bytes &b, std::size_t at)
{
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 |
           b[at + 3];
}

// The chunks put in just before the first IDAT, after what the encoder wrote.
Bytes withChunks(Bytes png, const std::vector<Bytes> &chunks)
{
    std::size_t at = 8;
    while (at + 8 <= png.size() && std::memcmp(png.data() + at + 4, "IDAT", 4) != 0)
        at += 12 + be32(png, at);
    for (auto it = chunks.rbegin(); it != chunks.rend(); ++it)
        png.insert(png.begin() + std::ptrdiff_t(at), it->begin(), it->end());
    return png;
}

// A chunk's data, from the file's own bytes; empty when absent.
Bytes chunkData(const Bytes &png, const char *type)
{
    for (std::size_t at = 8; at + 12 <= png.size(); at += 12 + be32(png, at))
        if (std::memcmp(png.data() + at + 4, type, 4) == 0)
            return Bytes(png.begin() + std::ptrdiff_t(at + 8),
                         png.begin() + std::ptrdiff_t(at + 8 + be32(png, at)));
    return {};
}

std::vector<std::uint32_t> chrmWords(const ZvChromaticities &c)
{
    auto fixed = [](double v) { return std::uint32_t(v * 100000 + 0.5); };
    return {fixed(c.wx), fixed(c.wy), fixed(c.rx), fixed(c.ry),
            fixed(c.gx), fixed(c.gy), fixed(c.bx), fixed(c.by)};
}

const ZvChromaticities kP3{0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.3127, 0.3290};
const ZvChromaticities kRec2020{0.708, 0.292, 0.170, 0.797, 0.131, 0.046, 0.3127, 0.3290};
const ZvChromaticities kSrgb;

// ============================================================================
// Embedded ICC profiles, in every format, on every kind of decode

struct FormatCase
{
    const char *name;
    std::uint32_t type;
    std::uint32_t option;
};

class ProfileRead : public testing::TestWithParam<FormatCase>
{
};

TEST_P(ProfileRead, TheProfileIsTheDescriptionWhetherOrNotPhotoInformationIsKept)
{
    const FormatCase &f = GetParam();
    const Bytes profile = testProfile(TestSpace::DisplayP3);
    const Bytes file = encodeWith(makePattern24(40, 24), f.type, profile, {}, f.option);
    std::vector<DecodeMode> modes = {{false, 0, 0}, {true, 0, 0}, {false, -1, 0}, {true, -1, 0}};
    if (f.type == ZV_TYPE_JPG)
        modes.insert(modes.end(), {{false, 0, 2}, {false, 0, 8}, {false, -1, 4}});
    for (const DecodeMode &mode : modes) {
        SCOPED_TRACE(testing::Message()
                     << "keep " << mode.keep << " escape " << mode.escape << " scale " << int(mode.scale));
        const ZvImage picture = decode(file, f.type, mode);
        ASSERT_NE(picture.GetColourSpace(), nullptr);
        EXPECT_EQ(picture.GetColourSpace()->kind, ZvColourKind::Icc);
        EXPECT_TRUE(iccOf(picture) == profile);
        if (mode.keep && mode.escape == 0) {
            ASSERT_NE(picture.GetPhotoInfo(), nullptr);
            EXPECT_TRUE(picture.GetPhotoInfo()->icc == profile);
        }
    }
}

TEST_P(ProfileRead, APictureWithoutOneStatesNothingAndTheNextDecodeForgetsTheLast)
{
    const FormatCase &f = GetParam();
    ZvImage plainSource = makePattern24(40, 24);
    const Bytes plain = encode(plainSource, f.type, f.option);
    const Bytes described =
        encodeWith(makePattern24(40, 24), f.type, testProfile(TestSpace::AdobeRgb), {}, f.option);
    for (bool keep : {false, true}) {
        ZvImage picture;
        picture.SetKeepPhotoInfo(keep);
        Bytes a = described, b = plain;
        ASSERT_TRUE(picture.Decode(a.data(), std::uint32_t(a.size()), f.type));
        ASSERT_NE(picture.GetColourSpace(), nullptr);
        ASSERT_TRUE(picture.Decode(b.data(), std::uint32_t(b.size()), f.type));
        EXPECT_EQ(picture.GetColourSpace(), nullptr) << keep;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ProfileRead,
                         testing::Values(FormatCase{"jpeg", ZV_TYPE_JPG, 0},
                                         FormatCase{"png", ZV_TYPE_PNG, 0},
                                         FormatCase{"tiff", ZV_TYPE_TIF, 0},
                                         FormatCase{"webp", ZV_TYPE_WEBP, 1 /* lossless */},
                                         FormatCase{"webp_lossy", ZV_TYPE_WEBP, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

// A profile larger than one APP2 segment holds comes back joined, in order.
TEST(JpegColour, AProfileOverSeveralSegmentsIsJoined)
{
    Bytes large = testProfile(TestSpace::Rec2020);
    for (std::size_t i = large.size(); i < 150000; ++i)
        large.push_back(std::uint8_t(i * 7 + i / 65519));
    const ZvImage picture = decode(encodeWith(makePattern24(16, 16), ZV_TYPE_JPG, large), ZV_TYPE_JPG);
    EXPECT_EQ(iccOf(picture).size(), large.size());
    EXPECT_TRUE(iccOf(picture) == large);
}

// ============================================================================
// EXIF's Adobe RGB mark: JPEG APP1, a TIFF's EXIF directory, WebP's EXIF chunk

class ExifColour : public testing::TestWithParam<ExifCase>
{
  protected:
    void expectDescription(const ZvImage &picture) const
    {
        if (!GetParam().adobeRgb) {
            EXPECT_EQ(picture.GetColourSpace(), nullptr);
            return;
        }
        const ZvColourSpace *colour = picture.GetColourSpace();
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(colour->kind, ZvColourKind::Described);
        EXPECT_EQ(colour->transfer, ZvTransfer::Gamma);
        EXPECT_DOUBLE_EQ(colour->gamma, 563.0 / 256.0);
        EXPECT_TRUE(colour->primaries == zvColourAdobeRgb()->primaries);
        EXPECT_EQ(colour->name, "Adobe RGB (1998)");
    }
};

TEST_P(ExifColour, Jpeg)
{
    const Bytes file = encodeWith(makePattern24(24, 16), ZV_TYPE_JPG, {}, exifPayload(GetParam()));
    for (DecodeMode mode : {DecodeMode{false, 0, 0}, DecodeMode{true, 0, 0}, DecodeMode{false, -1, 0},
                            DecodeMode{false, 0, 2}}) {
        SCOPED_TRACE(testing::Message() << "keep " << mode.keep << " escape " << mode.escape);
        expectDescription(decode(file, ZV_TYPE_JPG, mode));
    }
    // A profile speaks louder than the mark.
    const Bytes profile = testProfile(TestSpace::DisplayP3);
    const ZvImage both =
        decode(encodeWith(makePattern24(24, 16), ZV_TYPE_JPG, profile, exifPayload(GetParam())), ZV_TYPE_JPG);
    EXPECT_TRUE(iccOf(both) == profile);
}

// Two pages, the mark on the second: the EXIF detour must leave libtiff on
// the page asked for, whose pixels come out whole.
TEST_P(ExifColour, TiffPageWithExifDirectory)
{
    const ZvImage first = makePattern24(6, 4), second = makeNoise(5, 3, 24, 7);
    TiffBuilder tiff;
    const int page0 = tiff.Directory(), page1 = tiff.Directory();
    tiff.Strip(page0, 6, 4, rgbRows(first));
    tiff.Strip(page1, 5, 3, rgbRows(second));
    tiff.Next(page0, page1);
    addExif(tiff, page1, GetParam());
    const Bytes file = tiff.Build();
    for (bool headerOnly : {false, true}) {
        ZvImage picture;
        picture.SetFrame(1);
        picture.SetEscape(headerOnly ? -1 : 0);
        Bytes copy = file;
        ASSERT_TRUE(picture.Decode(copy.data(), std::uint32_t(copy.size()), ZV_TYPE_TIF))
            << picture.GetLastError();
        picture.SetEscape(0);
        expectDescription(picture);
        if (!headerOnly) {
            EXPECT_TRUE(toRgb(picture) == toRgb(second));
        }
    }
    ZvImage page = decode(file, ZV_TYPE_TIF);
    EXPECT_EQ(page.GetColourSpace(), nullptr);
    EXPECT_TRUE(toRgb(page) == toRgb(first));
}

TEST_P(ExifColour, WebpExifChunk)
{
    const Bytes file = encodeWith(makePattern24(24, 16), ZV_TYPE_WEBP, {}, exifPayload(GetParam()), 1);
    expectDescription(decode(file, ZV_TYPE_WEBP));
    expectDescription(decode(file, ZV_TYPE_WEBP, {false, -1, 0}));
}

INSTANTIATE_TEST_SUITE_P(Marks, ExifColour,
                         testing::Values(ExifCase{"uncalibrated_R03", 0xFFFF, "R03", true},
                                         ExifCase{"uncalibrated_R98", 0xFFFF, "R98", false},
                                         ExifCase{"uncalibrated_without_index", 0xFFFF, nullptr, false},
                                         ExifCase{"srgb_R98", 1, "R98", false},
                                         ExifCase{"srgb_with_R03", 1, "R03", false},
                                         ExifCase{"no_colour_space_R03", 0, "R03", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ============================================================================
// PNG: iCCP over sRGB over gAMA/cHRM

struct PngCase
{
    const char *name;
    bool iccp;
    std::vector<Bytes> chunks;
    // What the description must say: "none", "srgb", "icc" or "described".
    const char *kind;
    ZvTransfer transfer = ZvTransfer::Srgb;
    double gamma = 0;
    ZvChromaticities primaries = {};
};

class PngColour : public testing::TestWithParam<PngCase>
{
};

TEST_P(PngColour, ChunksReadInThePngRulesOrder)
{
    const PngCase &c = GetParam();
    const Bytes profile = testProfile(TestSpace::DisplayP3);
    ZvImage source = makePattern24(20, 12);
    const Bytes base = c.iccp ? encodeWith(source, ZV_TYPE_PNG, profile) : encode(source, ZV_TYPE_PNG);
    const Bytes file = withChunks(base, c.chunks);
    for (DecodeMode mode : {DecodeMode{false, 0, 0}, DecodeMode{true, 0, 0}, DecodeMode{false, -1, 0}}) {
        SCOPED_TRACE(testing::Message() << "keep " << mode.keep << " escape " << mode.escape);
        const ZvImage picture = decode(file, ZV_TYPE_PNG, mode);
        const ZvColourSpace *colour = picture.GetColourSpace();
        const std::string kind = c.kind;
        if (kind == "none") {
            EXPECT_EQ(colour, nullptr);
            continue;
        }
        ASSERT_NE(colour, nullptr);
        if (kind == "srgb") {
            EXPECT_EQ(colour->kind, ZvColourKind::Srgb);
        } else if (kind == "icc") {
            EXPECT_TRUE(iccOf(picture) == profile);
        } else {
            EXPECT_EQ(colour->kind, ZvColourKind::Described);
            EXPECT_EQ(colour->transfer, c.transfer);
            if (c.transfer == ZvTransfer::Gamma) {
                EXPECT_NEAR(colour->gamma, c.gamma, 1e-4);
            }
            EXPECT_TRUE(colour->primaries == c.primaries)
                << colour->primaries.rx << " " << colour->primaries.gy << " " << colour->primaries.wx;
        }
        if (mode.escape == 0) {
            EXPECT_TRUE(toRgb(picture) == toRgb(source)); // the numbers are never touched by the decoder
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, PngColour,
    testing::Values(
        PngCase{"nothing", false, {}, "none"}, PngCase{"srgb", false, {pngChunk("sRGB", {}, {0})}, "srgb"},
        PngCase{"gamma_of_srgb", false, {pngChunk("gAMA", {45455})}, "none"},
        PngCase{"linear", false, {pngChunk("gAMA", {100000})}, "described", ZvTransfer::Gamma, 1.0, kSrgb},
        PngCase{"gamma_1_8", false, {pngChunk("gAMA", {55556})}, "described", ZvTransfer::Gamma, 1.8, kSrgb},
        PngCase{"p3_chromaticities",
                false,
                {pngChunk("gAMA", {45455}), pngChunk("cHRM", chrmWords(kP3))},
                "described",
                ZvTransfer::Srgb,
                0,
                kP3},
        PngCase{"linear_rec2020",
                false,
                {pngChunk("gAMA", {100000}), pngChunk("cHRM", chrmWords(kRec2020))},
                "described",
                ZvTransfer::Gamma,
                1.0,
                kRec2020},
        PngCase{"chromaticities_alone",
                false,
                {pngChunk("cHRM", chrmWords(kP3))},
                "described",
                ZvTransfer::Srgb,
                0,
                kP3},
        PngCase{"srgb_in_gamma_and_chromaticities",
                false,
                {pngChunk("gAMA", {45455}), pngChunk("cHRM", chrmWords(kSrgb))},
                "none"},
        PngCase{"srgb_with_its_gamma_and_chromaticities",
                false,
                {pngChunk("sRGB", {}, {0}), pngChunk("gAMA", {45455}), pngChunk("cHRM", chrmWords(kSrgb))},
                "srgb"},
        // libpng drops the lot when they contradict each other: the old path.
        PngCase{"srgb_contradicted",
                false,
                {pngChunk("sRGB", {}, {0}), pngChunk("gAMA", {100000}), pngChunk("cHRM", chrmWords(kP3))},
                "none"},
        PngCase{"iccp_over_gamma",
                true,
                {pngChunk("gAMA", {100000}), pngChunk("cHRM", chrmWords(kRec2020))},
                "icc"},
        PngCase{"iccp_over_srgb", true, {pngChunk("sRGB", {}, {0})}, "icc"}),
    [](const auto &info) { return std::string(info.param.name); });

// The suite's gamma files: a file gamma of 0.35 decodes with 1 / 0.35.
// (g04's 0.45 is left out: it lies at the edge of what counts as sRGB's.)
TEST(PngColour, SuiteGammaFilesReadAsTheirGamma)
{
    ZV_REQUIRE_CORPUS("pngsuite");
    const std::map<std::string, double> fileGamma = {
        {"g03", 0.35}, {"g05", 0.55}, {"g07", 0.70}, {"g10", 1.00}, {"g25", 2.50}};
    int files = 0;
    for (const auto &[prefix, gamma] : fileGamma) {
        for (const char *kind : {"n0g16", "n2c08", "n3p04"}) {
            const std::string path = corporaDir() + "/pngsuite/png/" + prefix + kind + ".png";
            SCOPED_TRACE(path);
            const ZvImage picture = loadedFile(path);
            ASSERT_TRUE(picture.IsValid());
            const ZvColourSpace *colour = picture.GetColourSpace();
            ASSERT_NE(colour, nullptr);
            EXPECT_EQ(colour->kind, ZvColourKind::Described);
            EXPECT_EQ(colour->transfer, ZvTransfer::Gamma);
            EXPECT_NEAR(colour->gamma, 1.0 / gamma, 1e-3);
            EXPECT_TRUE(colour->primaries == kSrgb);
            ++files;
        }
    }
    EXPECT_EQ(files, 15);
}

// The chromaticity files: the description holds the cHRM numbers as the
// file stores them.
TEST(PngColour, SuiteChromaticityFilesReadAsStored)
{
    ZV_REQUIRE_CORPUS("pngsuite");
    for (const char *name : {"ccwn2c08.png", "ccwn3p08.png"}) {
        const std::string path = corporaDir() + "/pngsuite/png/" + name;
        SCOPED_TRACE(path);
        const Bytes chrm = chunkData(asBytes(readFile(path)), "cHRM");
        ASSERT_EQ(chrm.size(), 32u);
        const ZvImage picture = loadedFile(path);
        ASSERT_NE(picture.GetColourSpace(), nullptr);
        const ZvChromaticities &p = picture.GetColourSpace()->primaries;
        const double stored[8] = {p.wx, p.wy, p.rx, p.ry, p.gx, p.gy, p.bx, p.by};
        for (int i = 0; i < 8; ++i)
            EXPECT_DOUBLE_EQ(stored[i], be32(chrm, std::size_t(4 * i)) / 100000.0) << i;
    }
}

// ============================================================================
// CMYK JPEG: through its profile, against ImageMagick and jpgicc

// A CMYK output profile of our own: ink on white paper, each ink taking
// its complementary light away, black all of them, as Lab through sRGB.
void cmykToLab(const std::uint16_t in[], double lab[3], cmsHTRANSFORM srgbToLab)
{
    const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    const double rgb[3] = {(1 - c) * (1 - k), (1 - m) * (1 - k) * (1 - 0.1 * c), (1 - y) * (1 - k)};
    cmsDoTransform(srgbToLab, rgb, lab, 1);
}

struct SamplerData
{
    cmsHTRANSFORM srgbToLab;
};

cmsInt32Number sampleCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void *cargo)
{
    double lab[3];
    cmykToLab(in, lab, static_cast<SamplerData *>(cargo)->srgbToLab);
    cmsCIELab l{lab[0], lab[1], lab[2]};
    cmsFloat2LabEncoded(out, &l);
    return TRUE;
}

// Lab to CMYK for the profile's other direction (ImageMagick wants one):
// through sRGB, grey component replaced by black.
cmsInt32Number sampleLab(const cmsUInt16Number in[], cmsUInt16Number out[], void *cargo)
{
    cmsCIELab lab;
    cmsLabEncoded2Float(&lab, in);
    double rgb[3];
    cmsDoTransform(static_cast<SamplerData *>(cargo)->srgbToLab, &lab, rgb, 1);
    const double r = std::clamp(rgb[0], 0.0, 1.0), g = std::clamp(rgb[1], 0.0, 1.0),
                 b = std::clamp(rgb[2], 0.0, 1.0);
    const double k = 1 - std::max({r, g, b});
    const double w = 1 - k > 1e-6 ? 1 - k : 1;
    const double cmyk[4] = {(1 - r - k) / w, (1 - g - k) / w, (1 - b - k) / w, k};
    for (int i = 0; i < 4; ++i)
        out[i] = cmsUInt16Number(std::clamp(cmyk[i], 0.0, 1.0) * 65535 + 0.5);
    return TRUE;
}

Bytes cmykProfile()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    SamplerData toLab{
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0)};
    SamplerData toRgb{
        cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, 0)};
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline *aToB = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage *clut = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(clut, sampleCmyk, &toLab, 0);
    // lutAtoBType wants curves on both sides of the table: identities.
    cmsPipelineInsertStage(aToB, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(aToB, cmsAT_END, clut);
    cmsPipelineInsertStage(aToB, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsPipeline *bToA = cmsPipelineAlloc(nullptr, 3, 4);
    cmsStage *back = cmsStageAllocCLut16bit(nullptr, 17, 3, 4, nullptr);
    cmsStageSampleCLut16bit(back, sampleLab, &toRgb, 0);
    cmsPipelineInsertStage(bToA, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsPipelineInsertStage(bToA, cmsAT_END, back);
    cmsPipelineInsertStage(bToA, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsWriteTag(profile, cmsSigAToB0Tag, aToB);
    cmsWriteTag(profile, cmsSigBToA0Tag, bToA);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsMLU *description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", "Test CMYK");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    cmsPipelineFree(aToB);
    cmsPipelineFree(bToA);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    Bytes bytes(size);
    if (size == 0 || !cmsSaveProfileToMem(profile, bytes.data(), &size))
        ADD_FAILURE() << "the CMYK test profile could not be made";
    cmsCloseProfile(profile);
    cmsDeleteTransform(toLab.srgbToLab);
    cmsDeleteTransform(toRgb.srgbToLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return bytes;
}

// Patches of ink (C, M, Y, K as amounts 0..255), each size x size.
const std::vector<std::array<int, 4>> kInks = {
    {0, 0, 0, 0},       {255, 0, 0, 0},   {0, 255, 0, 0},     {0, 0, 255, 0},    {0, 0, 0, 255},
    {40, 200, 180, 10}, {200, 60, 0, 30}, {120, 120, 120, 0}, {10, 30, 220, 90}, {90, 0, 160, 140},
};
constexpr int kInkPatch = 16;

// A CMYK JPEG written by libjpeg as Adobe's applications write them
// (inverted samples, APP14 marker) or plain (ink amounts, no marker).
Bytes cmykJpeg(const Bytes &icc, bool adobe)
{
    const int width = int(kInks.size()) * kInkPatch, height = kInkPatch;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty())
        jpeg_write_icc_profile(&cinfo, icc.data(), unsigned(icc.size()));
    std::vector<JSAMPLE> row(std::size_t(width) * 4);
    for (int x = 0; x < width; ++x)
        for (int k = 0; k < 4; ++k) {
            const int ink = kInks[std::size_t(x / kInkPatch)][std::size_t(k)];
            row[std::size_t(x) * 4 + std::size_t(k)] = JSAMPLE(adobe ? 255 - ink : ink);
        }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

std::string writeScratch(const std::string &name, const Bytes &bytes)
{
    const std::string path = scratchDir() + "/" + name;
    writeFile(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

std::string srgbProfileFile()
{
    return writeScratch("srgb.icc", zvSrgbIccProfile());
}

class CmykJpeg : public testing::TestWithParam<bool>
{
};

TEST_P(CmykJpeg, ThroughItsProfileAsImageMagickConvertsIt)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const bool adobe = GetParam();
    if (!adobe)
        GTEST_SKIP() << "ImageMagick inverts every CMYK JPEG, marked as Adobe's or not";
    const Bytes file = cmykJpeg(cmykProfile(), adobe);
    const std::string path = writeScratch(adobe ? "cmyk-adobe.jpg" : "cmyk-plain.jpg", file);
    std::string ppm;
    ASSERT_EQ(runCommand("convert " + shellQuoted(path) + " -intent Perceptual -profile " +
                             shellQuoted(srgbProfileFile()) + " ppm:-",
                         &ppm),
              0);
    const Rgb8 want = parsePpm(ppm);
    for (bool keep : {false, true}) {
        const ZvImage picture = decode(file, ZV_TYPE_JPG, {keep, 0, 0});
        EXPECT_LE(maxDifference(toRgb(picture), want), 2) << keep;
        const ZvColourSpace *colour = picture.GetColourSpace();
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(colour->kind, ZvColourKind::Srgb); // the pixels are sRGB now
        EXPECT_EQ(colour->convertedFrom, "Test CMYK");
    }
    const ZvImage header = decode(file, ZV_TYPE_JPG, {false, -1, 0});
    ASSERT_NE(header.GetColourSpace(), nullptr);
    EXPECT_EQ(header.GetColourSpace()->convertedFrom, "Test CMYK");
}

TEST_P(CmykJpeg, ThroughItsProfileAsJpgiccConvertsIt)
{
    if (runCommand("command -v jpgicc >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "jpgicc missing (liblcms2-utils)";
    const Bytes file = cmykJpeg(cmykProfile(), GetParam());
    const std::string in = writeScratch("cmyk-in.jpg", file), out = scratchDir() + "/cmyk-jpgicc.jpg";
    ASSERT_EQ(runCommand("jpgicc -q100 -t0 " + shellQuoted(in) + " " + shellQuoted(out) + " >/dev/null 2>&1"),
              0);
    // jpgicc writes a JPEG again: only the patches' centres are compared.
    const std::vector<Rgb> want = centres(toRgb(loadedFile(out)), int(kInks.size()), kInkPatch);
    const ZvImage picture = decode(file, ZV_TYPE_JPG);
    expectNear(centres(toRgb(picture), int(kInks.size()), kInkPatch), want, 2);
}

INSTANTIATE_TEST_SUITE_P(Inversion, CmykJpeg, testing::Values(true, false),
                         [](const auto &info) { return std::string(info.param ? "adobe" : "plain"); });

// Without a usable CMYK profile the plain inversion stays, and nothing is stated.
TEST(CmykJpegFallback, DamagedOrForeignProfilesKeepThePlainInversion)
{
    const ZvImage plain = decode(cmykJpeg({}, true), ZV_TYPE_JPG);
    EXPECT_EQ(plain.GetColourSpace(), nullptr);
    Bytes damaged = cmykProfile();
    std::fill(damaged.begin() + 128, damaged.begin() + 200, std::uint8_t(0xEE)); // the tag table
    Bytes truncated = cmykProfile();
    truncated.resize(300);
    const std::map<std::string, Bytes> profiles = {
        {"damaged", damaged}, {"truncated", truncated}, {"rgb", testProfile(TestSpace::DisplayP3)}};
    for (const auto &[name, icc] : profiles) {
        SCOPED_TRACE(name);
        for (std::int32_t escape : {0, -1}) {
            const ZvImage picture = decode(cmykJpeg(icc, true), ZV_TYPE_JPG, {false, escape, 0});
            EXPECT_EQ(picture.GetColourSpace(), nullptr);
            if (escape == 0) {
                EXPECT_TRUE(toRgb(picture) == toRgb(plain));
            }
        }
    }
}

// ============================================================================
// End to end: wide-gamut patches decoded and converted to sRGB, against transicc

struct SpaceCase
{
    TestSpace space;
    const char *name;
};

const SpaceCase kSpaces[] = {{TestSpace::DisplayP3, "display_p3"},
                             {TestSpace::AdobeRgb, "adobe_rgb"},
                             {TestSpace::Rec2020, "rec2020"}};

struct PixelCase
{
    const char *name;
    std::uint32_t type;
    std::uint32_t option;
    std::uint8_t quality;
    int patch; // side of each patch
};

class ManagedPixels : public testing::TestWithParam<std::tuple<PixelCase, SpaceCase>>
{
};

TEST_P(ManagedPixels, DecodedAndConvertedWithinTwoLevelsOfTransicc)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc missing (liblcms2-utils)";
    const auto &[format, space] = GetParam();
    const std::vector<Rgb> &patches = testPatches();
    const int count = int(patches.size());
    const Bytes file = encodeWith(patchStrip(patches, format.patch), format.type, testProfile(space.space),
                                  {}, format.option, format.quality);
    for (bool keep : {false, true}) {
        ZvImage picture = decode(file, format.type, {keep, 0, 0});
        // The numbers the file holds: the patches themselves, but for the
        // JPEG's rounding, which a conversion near the gamut's edge magnifies.
        const std::vector<Rgb> stored = centres(toRgb(picture), count, format.patch);
        if (format.type != ZV_TYPE_JPG) {
            EXPECT_TRUE(stored == patches);
        }
        const std::vector<Rgb> want = transiccToSrgb(testProfileFile(space.space), stored);
        ASSERT_EQ(want.size(), patches.size());
        const ZvColourOutcome outcome = zvConvertToSrgb(picture);
        EXPECT_TRUE(outcome.Converted()) << outcome.note;
        expectNear(centres(toRgb(picture), count, format.patch), want, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ManagedPixels,
    testing::Combine(testing::Values(PixelCase{"jpeg_q100", ZV_TYPE_JPG, 0, 100, 16},
                                     PixelCase{"png", ZV_TYPE_PNG, 0, 90, 2},
                                     PixelCase{"tiff_lzw", ZV_TYPE_TIF, 5, 90, 2},
                                     PixelCase{"webp_lossless", ZV_TYPE_WEBP, 1, 100, 2}),
                     testing::ValuesIn(kSpaces)),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// A PNG stating its space in gAMA/cHRM: Display P3 and Rec. 2020 are their
// primaries with sRGB's curve, which is what gAMA 1/2.2 is read as.
TEST(ManagedPixels, PngGammaAndChromaticitiesWithinTwoLevelsOfTransicc)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc missing (liblcms2-utils)";
    const std::vector<Rgb> &patches = testPatches();
    const std::pair<TestSpace, ZvChromaticities> spaces[] = {{TestSpace::DisplayP3, kP3},
                                                             {TestSpace::Rec2020, kRec2020}};
    for (const auto &[space, xy] : spaces) {
        SCOPED_TRACE(int(space));
        const std::vector<Rgb> want = transiccToSrgb(testProfileFile(space), patches);
        ASSERT_EQ(want.size(), patches.size());
        ZvImage source = patchStrip(patches, 2);
        const Bytes file = withChunks(encode(source, ZV_TYPE_PNG),
                                      {pngChunk("gAMA", {45455}), pngChunk("cHRM", chrmWords(xy))});
        ZvImage picture = decode(file, ZV_TYPE_PNG);
        EXPECT_TRUE(zvConvertToSrgb(picture).Converted());
        expectNear(centres(toRgb(picture), int(patches.size()), 2), want, 2);
    }
}

// The EXIF mark alone gives Adobe RGB's conversion.
TEST(ManagedPixels, JpegWithTheAdobeRgbMarkWithinTwoLevelsOfTransicc)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc missing (liblcms2-utils)";
    const std::vector<Rgb> &patches = testPatches();
    const Bytes file = encodeWith(patchStrip(patches, 16), ZV_TYPE_JPG, {},
                                  exifPayload({"adobe", 0xFFFF, "R03", true}), 0, 100);
    ZvImage picture = decode(file, ZV_TYPE_JPG);
    const std::vector<Rgb> want = transiccToSrgb(testProfileFile(TestSpace::AdobeRgb),
                                                 centres(toRgb(picture), int(patches.size()), 16));
    ASSERT_EQ(want.size(), patches.size());
    EXPECT_TRUE(zvConvertToSrgb(picture).Converted());
    expectNear(centres(toRgb(picture), int(patches.size()), 16), want, 2);
}

} // namespace
