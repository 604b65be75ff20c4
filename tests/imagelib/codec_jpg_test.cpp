// tests/imagelib/codec_jpg_test.cpp
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/streams/io_file.h"
#include "imagelib/streams/mem_file.h"
#include "tests/imagelib/peak_memory.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/short_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kSos = {0xFF, 0xDA};

bool haveDjpeg()
{
    static const bool have = runCommand("command -v djpeg >/dev/null && command -v cjpeg >/dev/null") == 0;
    return have;
}

#define ZV_REQUIRE_LIBJPEG_TOOLS()                                                                           \
    do {                                                                                                     \
        if (!haveDjpeg())                                                                                    \
            GTEST_SKIP() << "djpeg/cjpeg missing";                                                           \
    } while (0)

// libjpeg-turbo's own decoder, RGB out unless the switches ask for grey.
Rgb8 djpeg(const std::string &path, const std::string &switches = {})
{
    std::string out;
    runCommand("djpeg -rgb " + switches + " -pnm '" + path + "' 2>/dev/null", &out);
    if (out.compare(0, 2, "P5") == 0) {
        int w = 0, h = 0, max = 0, used = 0;
        if (std::sscanf(out.c_str(), "P5 %d %d %d%n", &w, &h, &max, &used) != 3)
            return {};
        std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        for (std::size_t i = std::size_t(used) + 1; i < out.size(); ++i)
            ppm.append(3, out[i]);
        return parsePpm(ppm);
    }
    return parsePpm(out);
}

// The component count of the first frame header, or -1.
int frameComponents(const Bytes &jpeg)
{
    for (std::size_t i = 2; i + 9 < jpeg.size();) {
        if (jpeg[i] != 0xFF)
            return -1;
        const int marker = jpeg[i + 1];
        if (marker >= 0xC0 && marker <= 0xC2)
            return jpeg[i + 9];
        i += 2 + std::size_t(jpeg[i + 2] << 8 | jpeg[i + 3]);
    }
    return -1;
}

struct Decoded
{
    bool ok = false;
    std::string error;
    ZvImageJPG jpg;
};

void decodeBytes(Decoded &d, Bytes bytes, std::uint32_t option = 0, std::uint8_t scale = 0)
{
    ZvMemFile file(bytes.data(), bytes.size());
    d.jpg.SetCodecOption(option);
    d.jpg.SetJpegScale(scale);
    d.ok = d.jpg.Decode(&file);
    d.error = d.jpg.GetLastError();
}

void decodeFile(Decoded &d, const std::string &path, std::uint32_t option = 0, std::uint8_t scale = 0)
{
    const std::string s = readFile(path);
    decodeBytes(d, Bytes(s.begin(), s.end()), option, scale);
}

Bytes encode(const ZvImage &image, std::uint32_t option = 0, std::uint8_t quality = 90, int smoothing = 0)
{
    ZvImageJPG jpg;
    jpg.Ghost(&image);
    jpg.SetCodecOption(option);
    jpg.SetJpegQuality(quality);
    jpg.SetSmoothing(smoothing);
    ZvMemFile file;
    file.Open();
    if (!jpg.Encode(&file))
        return {};
    const std::uint8_t *p = file.GetBuffer(false);
    return Bytes(p, p + file.Size());
}

std::string asText(const Bytes &b)
{
    return std::string(b.begin(), b.end());
}

// A smooth colour picture (gradients and a soft disc), the kind JPEG keeps well.
ZvImage makeSmooth24(int w, int h)
{
    ZvImage image{std::uint32_t(w), std::uint32_t(h), 24};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int d = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2);
            const int disc = d < (w * w) / 16 ? 60 : 0;
            image.SetPixelColor(x, y,
                                RGBQUAD{std::uint8_t(x * 200 / w + 20), std::uint8_t(y * 180 / h + disc),
                                        std::uint8_t(230 - x * 100 / w), 0});
        }
    }
    return image;
}

ZvImage makeGreyRamp(int w, int h)
{
    ZvImage image{std::uint32_t(w), std::uint32_t(h), 8};
    image.SetGrayPalette();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixelIndex(x, y, std::uint8_t((x * 3 + y * 5) & 0xFF));
    return image;
}

std::string netpbm(const Rgb8 &rgb, bool grey)
{
    std::string out =
        (grey ? "P5\n" : "P6\n") + std::to_string(rgb.width) + " " + std::to_string(rgb.height) + "\n255\n";
    for (std::size_t i = 0; i < rgb.rgb.size(); i += grey ? 3 : 1)
        out.push_back(char(rgb.rgb[i]));
    return out;
}

// A JPEG of a picture with its JFIF fields replaced and, if given, an APP1
// block placed right after them.
Bytes withHeader(int unit, int xDensity, int yDensity, const Bytes &app1 = {})
{
    Bytes jpeg = encode(makeSmooth24(32, 24));
    jpeg[13] = std::uint8_t(unit);
    jpeg[14] = std::uint8_t(xDensity >> 8);
    jpeg[15] = std::uint8_t(xDensity);
    jpeg[16] = std::uint8_t(yDensity >> 8);
    jpeg[17] = std::uint8_t(yDensity);
    jpeg.insert(jpeg.begin() + 20, app1.begin(), app1.end());
    return jpeg;
}

// An APP1 EXIF block (big-endian) with x/y resolution and, when unit > 0, its unit.
Bytes exifResolution(std::uint32_t num, std::uint32_t den, int unit)
{
    const int entries = unit > 0 ? 3 : 2;
    const std::uint32_t values = 8 + 2 + 12 * entries + 4;
    Bytes t = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, std::uint8_t(entries)};
    auto put32 = [&](std::uint32_t v) {
        t.insert(t.end(),
                 {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
    };
    t.insert(t.end(), {0x01, 0x1A, 0, 5, 0, 0, 0, 1});
    put32(values);
    t.insert(t.end(), {0x01, 0x1B, 0, 5, 0, 0, 0, 1});
    put32(values);
    if (unit > 0)
        t.insert(t.end(), {0x01, 0x28, 0, 3, 0, 0, 0, 1, 0, std::uint8_t(unit), 0, 0});
    put32(0);
    put32(num);
    put32(den);
    Bytes app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    for (std::uint8_t b : t) // not insert(): GCC 12 warns wrongly about it here
        app1.push_back(b);
    app1[2] = std::uint8_t((app1.size() - 2) >> 8);
    app1[3] = std::uint8_t(app1.size() - 2);
    return app1;
}

} // namespace

TEST(JpegDecode, TestImagesMatchLibjpegAndImageMagick)
{
    ZV_REQUIRE_CORPUS("libjpeg-turbo-testimages");
    ZV_REQUIRE_LIBJPEG_TOOLS();
    for (const char *name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg"}) {
        SCOPED_TRACE(name);
        const std::string path = corporaDir() + "/libjpeg-turbo-testimages/" + name;
        Decoded d;
        decodeFile(d, path);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.jpg.GetBpp(), 24u);
        EXPECT_EQ(maxDifference(toRgb(d.jpg), djpeg(path)), 0);
        if (haveImageMagick()) {
            EXPECT_LE(maxDifference(toRgb(d.jpg), magickDecode(path)), 1);
        }
    }
}

TEST(JpegDecode, TwelveBitFileIsRefusedWithTheLibraryMessage)
{
    ZV_REQUIRE_CORPUS("libjpeg-turbo-testimages");
    Decoded d;
    decodeFile(d, corporaDir() + "/libjpeg-turbo-testimages/monkey12.jpg");
    EXPECT_FALSE(d.ok);
    EXPECT_FALSE(d.jpg.IsValid());
    EXPECT_EQ(d.error, "Unsupported JPEG data precision 12");
}

// Every camera file decodes to the very pixels libjpeg's own tool gives;
// the damaged ones end, one way or the other.
TEST(JpegDecode, CameraFilesMatchDjpeg)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ZV_REQUIRE_LIBJPEG_TOOLS();
    int compared = 0;
    for (const std::string &path : listFiles(corporaDir() + "/exif-samples/jpg", ".jpg", true)) {
        SCOPED_TRACE(path);
        Decoded d;
        decodeFile(d, path);
        const Rgb8 reference = djpeg(path);
        if (path.find("/invalid/") != std::string::npos || reference.width == 0)
            continue;
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(maxDifference(toRgb(d.jpg), reference), 0);
        ++compared;
    }
    EXPECT_GT(compared, 70);
}

// Files libjpeg's encoder makes in its other modes, at an awkward size.
TEST(JpegDecode, EncoderVariantsMatchDjpeg)
{
    ZV_REQUIRE_LIBJPEG_TOOLS();
    const std::string ppm = scratchDir() + "/variant.ppm";
    writeFile(ppm, netpbm(toRgb(makePattern24(61, 37)), false));
    const char *variants[] = {"-progressive",          "-grayscale",  "-restart 1",
                              "-sample 1x1",           "-sample 2x1", "-arithmetic",
                              "-optimize -quality 30", "-rgb"};
    for (const char *v : variants) {
        SCOPED_TRACE(v);
        const std::string jpg = scratchDir() + "/variant.jpg";
        ASSERT_EQ(runCommand(std::string("cjpeg ") + v + " -outfile '" + jpg + "' '" + ppm + "'"), 0);
        Decoded d;
        decodeFile(d, jpg);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(maxDifference(toRgb(d.jpg), djpeg(jpg)), 0);
        EXPECT_EQ(d.jpg.GetBpp(), std::string(v) == "-grayscale" ? 8u : 24u);
        if (d.jpg.GetBpp() == 8) {
            EXPECT_TRUE(d.jpg.IsGrayScale());
        }
    }
}

TEST(JpegDecode, CmykFileComesOutAsImageMagickSeesIt)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const std::string jpg = scratchDir() + "/cmyk.jpg";
    const std::string ppm = scratchDir() + "/cmyk-src.ppm";
    writeFile(ppm, netpbm(toRgb(makeSmooth24(40, 30)), false));
    ASSERT_EQ(runCommand("convert '" + ppm + "' -colorspace CMYK -quality 95 '" + jpg + "'"), 0);
    Decoded d;
    decodeFile(d, jpg);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.jpg.GetBpp(), 24u);
    EXPECT_LE(maxDifference(toRgb(d.jpg), magickDecode(jpg)), 2);
}

TEST(JpegDecode, ScaledSizesAndPixels)
{
    ZV_REQUIRE_CORPUS("libjpeg-turbo-testimages");
    ZV_REQUIRE_LIBJPEG_TOOLS();
    const std::string path = corporaDir() + "/libjpeg-turbo-testimages/testorig.jpg";
    struct Case
    {
        std::uint8_t scale;
        std::uint32_t w, h;
    };
    for (const Case c : {Case{0, 227, 149}, Case{1, 227, 149}, Case{2, 114, 75}, Case{3, 86, 56},
                         Case{4, 57, 38}, Case{8, 29, 19}, Case{200, 29, 19}}) {
        SCOPED_TRACE(int(c.scale));
        Decoded d;
        decodeFile(d, path, 0, c.scale);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.jpg.GetWidth(), c.w);
        EXPECT_EQ(d.jpg.GetHeight(), c.h);
        if (c.scale == 2 || c.scale == 8) {
            EXPECT_EQ(maxDifference(toRgb(d.jpg), djpeg(path, "-scale 1/" + std::to_string(c.scale))), 0);
        }
    }
}

TEST(JpegDecode, HeaderOnlyGivesTheSizeAndNoPixels)
{
    const Bytes jpeg = encode(makeSmooth24(50, 20));
    Decoded d;
    d.jpg.SetEscape(-1);
    decodeBytes(d, jpeg, 0, 2);
    EXPECT_TRUE(d.ok);
    EXPECT_FALSE(d.jpg.IsValid());
    EXPECT_EQ(d.jpg.GetWidth(), 25u);
    EXPECT_EQ(d.jpg.GetHeight(), 10u);

    // Through the dispatch the size lands in the caller's image.
    Bytes copy = jpeg;
    ZvImage image;
    image.SetEscape(-1);
    EXPECT_TRUE(image.Decode(copy.data(), std::uint32_t(copy.size()), ZV_TYPE_JPG));
    EXPECT_EQ(image.GetWidth(), 50u);
    EXPECT_FALSE(image.IsValid());
}

// The option bits against the same switches of libjpeg's own tool.
TEST(JpegDecode, OptionBitsMatchDjpegSwitches)
{
    ZV_REQUIRE_CORPUS("libjpeg-turbo-testimages");
    ZV_REQUIRE_LIBJPEG_TOOLS();
    const std::string path = corporaDir() + "/libjpeg-turbo-testimages/testorig.jpg";
    struct Case
    {
        std::uint32_t option;
        int dither;
        const char *switches;
        std::uint32_t bpp;
    };
    const Case cases[] = {{0x80, 0, "-grayscale", 8},
                          {0x800, 0, "-nosmooth", 24},
                          {0x100, 0, "-colors 64", 8},
                          {0x500, 0, "-colors 64 -onepass", 8},
                          {0x300, 0, "-colors 64 -dither none", 8},
                          {0x300, 1, "-colors 64 -dither ordered", 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switches);
        Decoded d;
        d.jpg.SetJpegQuality(64);
        d.jpg.SetDitherMode(c.dither);
        decodeFile(d, path, c.option);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.jpg.GetBpp(), c.bpp);
        EXPECT_EQ(maxDifference(toRgb(d.jpg), djpeg(path, c.switches)), 0);
    }
}

TEST(JpegDecode, BadInputFailsWithAMessage)
{
    Decoded empty;
    decodeBytes(empty, {});
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.error, "Empty input file");

    Decoded gif;
    decodeBytes(gif, Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0});
    EXPECT_FALSE(gif.ok);
    EXPECT_EQ(gif.error, "Not a JPEG file: starts with 0x47 0x49");

    // A cut file still gives every row, as libjpeg's tools do.
    Bytes jpeg = encode(makeSmooth24(64, 64));
    jpeg.resize(jpeg.size() / 2);
    Decoded cut;
    decodeBytes(cut, jpeg);
    EXPECT_TRUE(cut.ok) << cut.error;
    EXPECT_EQ(cut.jpg.GetHeight(), 64u);

    Decoded cancelled;
    cancelled.jpg.SetEscape(1);
    decodeBytes(cancelled, encode(makeSmooth24(16, 16)));
    EXPECT_FALSE(cancelled.ok);
    EXPECT_FALSE(cancelled.jpg.IsValid());
}

// Small files that would make libjpeg work for minutes or take gigabytes.
TEST(JpegDecode, HostileProgressiveFilesAreStopped)
{
    ZV_REQUIRE_LIBJPEG_TOOLS();
    const std::string ppm = scratchDir() + "/hostile.ppm";
    const std::string jpg = scratchDir() + "/hostile.jpg";
    writeFile(ppm, netpbm(toRgb(makeSmooth24(16, 16)), false));
    ASSERT_EQ(runCommand("cjpeg -progressive -sample 1x1 -outfile '" + jpg + "' '" + ppm + "'"), 0);
    const std::string s = readFile(jpg);
    const Bytes progressive(s.begin(), s.end());

    // Claims 20000 x 20000: tiny at scale 1/8, but its coefficients need 2.4 GB.
    Bytes huge = progressive;
    for (std::size_t i = 2; i + 9 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC2) {
            huge[i + 5] = huge[i + 7] = 20000 >> 8;
            huge[i + 6] = huge[i + 8] = 20000 & 0xFF;
            break;
        }
    }
    // A sequential file claiming the same: before, 1.2 GB and half a minute.
    Bytes sequential = encode(makeSmooth24(16, 16));
    for (std::size_t i = 2; i + 9 < sequential.size(); ++i) {
        if (sequential[i] == 0xFF && sequential[i + 1] == 0xC0) {
            sequential[i + 5] = sequential[i + 7] = 20000 >> 8;
            sequential[i + 6] = sequential[i + 8] = 20000 & 0xFF;
            break;
        }
    }
    Decoded cut;
    decodeBytes(cut, sequential);
    EXPECT_EQ(cut.error, "Not enough image data");
    Decoded probe;
    probe.jpg.SetEscape(-1);
    decodeBytes(probe, sequential);
    EXPECT_TRUE(probe.ok) << "the header alone is still read";
    EXPECT_EQ(probe.jpg.GetWidth(), 20000u);

    // As it stands it holds far less than a bit per block: refused before
    // anything is allocated, at every scale.
    for (std::uint8_t scale : {1, 8}) {
        Decoded forged;
        const std::int64_t grown = peakGrowthKb([&] { decodeBytes(forged, huge, 0, scale); });
        EXPECT_LT(grown, 64 * 1024) << "peak grew by " << grown << " KB";
        decodeBytes(forged, huge, 0, scale);
        EXPECT_FALSE(forged.ok);
        EXPECT_EQ(forged.error, "Not enough image data");
    }
    // Padded with comments to 2.6 MB, a bit per block, it reaches libjpeg,
    // whose working memory limit stops it.
    const Bytes comment = [] {
        Bytes c = {0xFF, 0xFE, 0xFF, 0xFF};
        c.resize(2 + 0xFFFF, ' ');
        return c;
    }();
    for (int i = 0; i < 40; ++i)
        huge.insert(huge.begin() + 2, comment.begin(), comment.end());
    Decoded big;
    decodeBytes(big, huge, 0, 8);
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.error, "Not enough memory to decode this JPEG file");

    // The first scan repeated hundreds of times.
    const auto scan = std::search(progressive.begin(), progressive.end(), kSos.begin(), kSos.end());
    auto next = scan + 2;
    while (next + 1 < progressive.end() &&
           !(next[0] == 0xFF && next[1] != 0 && (next[1] < 0xD0 || next[1] > 0xD7)))
        ++next;
    Bytes many(progressive.begin(), next);
    for (int i = 0; i < 600; ++i)
        many.insert(many.end(), scan, next);
    many.insert(many.end(), next, progressive.end());
    Decoded repeated;
    decodeBytes(repeated, many);
    EXPECT_FALSE(repeated.ok);
    EXPECT_EQ(repeated.error, "JPEG file has too many scans");
}

// Arithmetic coding makes a flat picture of any size a few dozen bytes: such
// a picture must open although it holds less than a bit per block, while the
// same few bytes claiming 20000 x 20000 are refused before anything is made.
TEST(JpegDecode, ArithmeticCodedFilesHaveABudgetOfTheirOwn)
{
    ZV_REQUIRE_LIBJPEG_TOOLS();
    const std::string pgm = scratchDir() + "/flat.pgm";
    const std::string jpg = scratchDir() + "/flat.jpg";
    std::string flat = "P5\n2048 2048\n255\n";
    flat.append(std::size_t(2048) * 2048, char(100));
    writeFile(pgm, flat);
    ASSERT_EQ(runCommand("cjpeg -arithmetic -outfile '" + jpg + "' '" + pgm + "'"), 0);
    const std::string s = readFile(jpg);
    Bytes bytes(s.begin(), s.end());
    ASSERT_LT(bytes.size(), std::size_t(2048 * 2048 / 64 / 8)) << "below the Huffman floor";
    Decoded honest;
    decodeBytes(honest, bytes);
    ASSERT_TRUE(honest.ok) << honest.error;
    EXPECT_EQ(honest.jpg.GetPixelIndex(2047, 2047), 100);

    for (std::size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC9) {
            bytes[i + 5] = bytes[i + 7] = 20000 >> 8;
            bytes[i + 6] = bytes[i + 8] = 20000 & 0xFF;
            break;
        }
    }
    Decoded forged;
    decodeBytes(forged, bytes);
    EXPECT_EQ(forged.error, "Not enough image data");
}

TEST(JpegDecode, ResolutionFromExifElseJfif)
{
    struct Case
    {
        const char *what;
        Bytes file;
        int xdpi, ydpi;
    };
    const Case cases[] = {
        {"JFIF per inch", withHeader(1, 300, 150), 300, 150},
        {"JFIF 118 per cm", withHeader(2, 118, 118), 300, 300},
        {"JFIF aspect only", withHeader(0, 1, 1), 96, 96},
        {"JFIF aspect 2:1", withHeader(0, 2, 1), 96, 96},
        {"JFIF density without unit", withHeader(0, 72, 72), 72, 72},
        {"EXIF 72 per inch wins", withHeader(1, 300, 300, exifResolution(72, 1, 2)), 72, 72},
        {"EXIF per cm", withHeader(1, 300, 300, exifResolution(118, 1, 3)), 299, 299},
        {"EXIF without unit", withHeader(1, 200, 200, exifResolution(72, 1, 0)), 200, 200},
        {"EXIF zero resolution", withHeader(2, 100, 100, exifResolution(0, 1, 2)), 254, 254},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d;
        decodeBytes(d, c.file);
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.jpg.GetXDPI(), c.xdpi);
        EXPECT_EQ(d.jpg.GetYDPI(), c.ydpi);
    }
}

TEST(JpegEncode, RoundTripThroughBothDecoders)
{
    const ZvImage source = makeSmooth24(83, 45);
    const Bytes jpeg = encode(source, 0, 95);
    ASSERT_FALSE(jpeg.empty());
    Decoded d;
    decodeBytes(d, jpeg);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(frameComponents(jpeg), 3);
    EXPECT_LE(meanDifference(toRgb(d.jpg), toRgb(source)), 2.0);
    EXPECT_LE(maxDifference(toRgb(d.jpg), toRgb(source)), 40);
    if (haveImageMagick()) {
        const std::string path = scratchDir() + "/roundtrip.jpg";
        writeFile(path, asText(jpeg));
        EXPECT_LE(maxDifference(toRgb(d.jpg), magickDecode(path)), 1);
    }

    ZvImage grey = makeGreyRamp(40, 30);
    const Bytes greyJpeg = encode(grey, 0, 100);
    Decoded g;
    decodeBytes(g, greyJpeg);
    ASSERT_TRUE(g.ok) << g.error;
    EXPECT_EQ(frameComponents(greyJpeg), 1);
    EXPECT_TRUE(g.jpg.IsGrayScale());
    EXPECT_LE(maxDifference(toRgb(g.jpg), toRgb(grey)), 8);
}

// Apart from the JFIF density fields, the file is what libjpeg's own
// encoder writes from the same pixels with the same settings.
TEST(JpegEncode, SameBytesAsCjpeg)
{
    ZV_REQUIRE_LIBJPEG_TOOLS();
    struct Case
    {
        bool grey;
        std::uint32_t option;
        int quality;
        int smoothing;
        const char *switches;
    };
    const Case cases[] = {{false, 0, 75, 0, "-quality 75"},
                          {false, 0x1, 10, 0, "-quality 10 -baseline"},
                          {false, 0, 10, 0, "-quality 10"},
                          {false, 0x4, 90, 0, "-quality 90 -grayscale"},
                          {false, 0x40, 80, 30, "-quality 80 -smooth 30"},
                          {true, 0, 60, 0, "-quality 60"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.switches);
        ZvImage picture = c.grey ? makeGreyRamp(45, 33) : makePattern24(45, 33);
        picture.SetXDPI(300);
        picture.SetYDPI(300);
        const Bytes ours = encode(picture, c.option, std::uint8_t(c.quality), c.smoothing);
        const std::string in = scratchDir() + "/cjpeg-in.pnm";
        writeFile(in, netpbm(toRgb(picture), c.grey));
        std::string theirs;
        ASSERT_EQ(runCommand(std::string("cjpeg ") + c.switches + " '" + in + "' 2>/dev/null", &theirs), 0);
        ASSERT_EQ(ours.size(), theirs.size());
        EXPECT_EQ(asText(ours).substr(20), theirs.substr(20));
        EXPECT_EQ(asText(ours).substr(0, 13), theirs.substr(0, 13));
        // Density unit 1 (dots per inch), 300 x 300.
        EXPECT_EQ(Bytes(ours.begin() + 13, ours.begin() + 18), (Bytes{1, 0x01, 0x2C, 0x01, 0x2C}));
    }
}

TEST(JpegEncode, OnlyColourAndGreyRampPicturesAreSaved)
{
    const char *refusal = "JPEG can save only RGB or GreyScale images";
    for (int bpp : {1, 4, 8}) {
        ZvImage indexed = makePatternIndexed(10, 10, bpp);
        ZvMemFile file;
        file.Open();
        EXPECT_FALSE(indexed.Encode(&file, ZV_TYPE_JPG)) << bpp;
        EXPECT_STREQ(indexed.GetLastError(), refusal);
    }
    // A 4-bit picture whose palette is the identity ramp counts as grey.
    ZvImage ramp4{7, 5, 4};
    for (std::uint8_t i = 0; i < 16; ++i)
        ramp4.SetPaletteColor(i, RGBQUAD{i, i, i, 0});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ramp4.SetPixelIndex(x, y, std::uint8_t((x * 2 + y) & 15));
    const Bytes jpeg = encode(ramp4, 0, 100);
    Decoded d;
    decodeBytes(d, jpeg);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(frameComponents(jpeg), 1);
    EXPECT_EQ(d.jpg.GetBpp(), 8u);
    EXPECT_LE(maxDifference(toRgb(d.jpg), toRgb(ramp4)), 2);

    ZvImage empty;
    ZvMemFile file;
    file.Open();
    EXPECT_FALSE(empty.Encode(&file, ZV_TYPE_JPG));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
}

TEST(JpegEncode, WriteFailureIsReported)
{
    ZvImage picture = makePattern24(200, 200);
    ShortFile file(100);
    EXPECT_FALSE(picture.Encode(&file, ZV_TYPE_JPG));
    EXPECT_STREQ(picture.GetLastError(), "Output file write error --- out of disk space?");
}
