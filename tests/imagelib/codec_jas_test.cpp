// tests/imagelib/codec_jas_test.cpp
#include "imagelib/core/image.h"
#include "imagelib/streams/mem_file.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

bool haveOpenJpegTools()
{
    static const bool have = runCommand("command -v opj_decompress >/dev/null 2>&1 && "
                                        "command -v opj_compress >/dev/null 2>&1") == 0;
    return have;
}

std::string shellQuote(const std::string &path)
{
    return "'" + path + "'";
}

// The maximum value in a binary PNM header ("P5\n#...\nW H\nMAX\n").
int pnmMaxval(const std::string &bytes)
{
    int fields[3] = {};
    std::size_t pos = 2;
    for (int &field : fields) {
        while (pos < bytes.size() &&
               (std::isspace(static_cast<unsigned char>(bytes[pos])) || bytes[pos] == '#')) {
            if (bytes[pos] == '#')
                pos = bytes.find('\n', pos);
            else
                ++pos;
        }
        field = std::atoi(bytes.c_str() + pos);
        while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos])))
            ++pos;
    }
    return fields[2];
}

// One channel of a picture, as the grey picture a component file gives.
Rgb8 channelOf(const Rgb8 &picture, int channel)
{
    Rgb8 out = picture;
    for (std::size_t i = 0; i < out.rgb.size(); i += 3)
        out.rgb[i] = out.rgb[i + 1] = out.rgb[i + 2] = picture.rgb[i + std::size_t(channel)];
    return out;
}

Rgb8 channelsSwapped(const Rgb8 &picture)
{
    Rgb8 out = picture;
    for (std::size_t i = 0; i < out.rgb.size(); i += 3)
        std::swap(out.rgb[i], out.rgb[i + 2]);
    return out;
}

bool decodeFile(ZvImage &image, const std::string &path, std::uint32_t type)
{
    std::string bytes = readFile(path);
    return image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()), std::uint32_t(bytes.size()), type);
}

std::string encode(ZvImage &image, std::uint32_t type)
{
    std::uint8_t *buffer = nullptr;
    std::int32_t size = 0;
    if (!image.Encode(buffer, size, type))
        return {};
    std::string bytes(reinterpret_cast<char *>(buffer), std::size_t(size));
    std::free(buffer);
    return bytes;
}

ZvImage makeGrey(int width, int height)
{
    ZvImage image{std::uint32_t(width), std::uint32_t(height), 8};
    image.SetGrayPalette();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixelIndex(x, y, std::uint8_t(x * 5 + y * 17));
    return image;
}

std::string conformanceDir()
{
    return corporaDir() + "/openjpeg-data/input/conformance";
}

// Files whose ICC profile opj_decompress applies through a colour manager;
// we keep the stored samples, so only the size can agree.
const std::set<std::string> kIccFiles = {"file5.jp2", "file7.jp2", "file8.jp2"};

void compareWithReference(const ZvImage &image, const std::string &ours, const std::string &name,
                          const std::string &dir)
{
    const std::string stem = fs::path(name).stem().string();
    const Rgb8 got = toRgb(image);
    if (fs::exists(dir + "/" + stem + ".pnm")) {
        const std::string pnm = dir + "/" + stem + ".pnm";
        const Rgb8 want = magickDecode(pnm);
        ASSERT_EQ(got.width, want.width) << ours;
        ASSERT_EQ(got.height, want.height) << ours;
        if (kIccFiles.count(name))
            return;
        // Above 8 bits the reference is rounded twice on its way to 8 bits.
        const int tolerance = pnmMaxval(readFile(pnm)) > 255 ? 1 : 0;
        EXPECT_LE(maxDifference(got, want), tolerance) << ours;
        return;
    }
    // Components of different sizes come as one grey file each; the picture
    // has the first one's size and carries each same-sized one as a channel.
    const Rgb8 first = magickDecode(dir + "/" + stem + "_0.pgm");
    ASSERT_EQ(got.width, first.width) << ours;
    ASSERT_EQ(got.height, first.height) << ours;
    const int channels = image.GetBpp() == 24 ? 3 : 1;
    for (int c = 0; c < channels; ++c) {
        const std::string part = dir + "/" + stem + "_" + std::to_string(c) + ".pgm";
        const Rgb8 want = magickDecode(part);
        if (want.width == got.width && want.height == got.height) {
            const int tolerance = pnmMaxval(readFile(part)) > 255 ? 1 : 0;
            EXPECT_LE(maxDifference(channelOf(got, channels == 3 ? c : 0), want), tolerance) << part;
        }
    }
}

} // namespace

TEST(JasConformance, CodestreamsDecodeAsOpenJpegDoes)
{
    ZV_REQUIRE_CORPUS("openjpeg-data/input/conformance");
    if (!haveOpenJpegTools() || !haveImageMagick())
        GTEST_SKIP() << "opj_decompress or ImageMagick missing";
    const std::string out = scratchDir() + "/conformance";
    fs::create_directories(out);
    int checked = 0;
    for (const std::string &path : listFiles(conformanceDir())) {
        const std::string ext = fs::path(path).extension().string();
        if (ext != ".j2c" && ext != ".j2k" && ext != ".jp2")
            continue;
        const std::string name = fs::path(path).filename().string();
        const std::string stem = fs::path(path).stem().string();
        ASSERT_EQ(runCommand("opj_decompress -quiet -i " + shellQuote(path) + " -o " +
                             shellQuote(out + "/" + stem + ".pnm") + " >/dev/null 2>&1"),
                  0)
            << path;
        ZvImage image;
        const std::uint32_t type = ext == ".jp2" ? ZV_TYPE_JP2 : ZV_TYPE_JPC;
        ASSERT_TRUE(image.Load(path.c_str(), type)) << path << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), type) << path;
        compareWithReference(image, path, name, out);
        ++checked;
    }
    EXPECT_GE(checked, 50);
}

TEST(JasNetpbm, SuiteFilesDecodeAsImageMagickDoes)
{
    ZV_REQUIRE_CORPUS("zigimg-test-suite");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    std::vector<std::string> files;
    for (const char *sub : {"netpbm", "pam", "ras"})
        for (const std::string &f : listFiles(corporaDir() + "/zigimg-test-suite/" + sub))
            files.push_back(f);
    if (corporaPresent("image-rs-tests"))
        for (const std::string &f : listFiles(corporaDir() + "/image-rs-tests/images/pbm", ".pbm", true))
            files.push_back(f);
    ASSERT_GE(files.size(), 29u);
    for (const std::string &path : files) {
        const std::string name = fs::path(path).filename().string();
        Rgb8 want = magickDecode(path);
        // ImageMagick reads byte-encoded 24-bit raster pixels red first; the
        // format keeps them blue first as in standard files, which is what
        // this file's name and its uncompressed twin say.
        if (name == "sample-24bit-bgr-rle.ras")
            want = channelsSwapped(want);
        ZvImage image;
        const bool ok = image.Load(path.c_str(), ZV_TYPE_UNKNOWN);
        if (name.rfind("invalid_", 0) == 0) {
            EXPECT_TRUE(want.rgb.empty()) << "reference accepts " << path;
        }
        if (want.rgb.empty()) {
            EXPECT_FALSE(ok) << "accepted " << path;
            continue;
        }
        ASSERT_TRUE(ok) << path << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), fs::path(path).extension() == ".ras" ? ZV_TYPE_RAS : ZV_TYPE_PNM) << path;
        // 16-bit samples are rounded to 8 bits by both, not always alike.
        const int tolerance = name.find("16") != std::string::npos || name.find("65535") != std::string::npos;
        EXPECT_LE(maxDifference(toRgb(image), want), tolerance) << path;
    }
}

TEST(JasNetpbm, ImageRsPbmMatchesItsReferenceRendering)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const std::string dir = corporaDir() + "/image-rs-tests";
    for (const std::string &path : listFiles(dir + "/images/pbm", ".pbm", true)) {
        const std::string ref = dir + "/reference/pbm/images/" + fs::path(path).filename().string() + ".png";
        ZvImage image;
        ASSERT_TRUE(decodeFile(image, path, ZV_TYPE_PNM)) << path << ": " << image.GetLastError();
        EXPECT_EQ(image.GetBpp(), 1u);
        EXPECT_EQ(maxDifference(toRgb(image), magickDecode(ref)), 0) << path;
    }
}

struct RoundTrip
{
    std::uint32_t type;
    const char *extension;
    bool colour;
};

class JasRoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

// What an independent decoder makes of a file we wrote: ImageMagick for
// PNM and RAS, OpenJPEG's own tools for the JPEG 2000 formats and PGX.
Rgb8 independentDecode(const std::string &file, std::uint32_t type)
{
    if (type == ZV_TYPE_PNM || type == ZV_TYPE_RAS)
        return magickDecode(file);
    std::string source = file;
    if (type == ZV_TYPE_PGX) {
        source = file + ".j2k";
        if (runCommand("opj_compress -n 1 -i " + shellQuote(file) + " -o " + shellQuote(source) +
                       " >/dev/null 2>&1") != 0)
            return {};
    }
    const std::string pnm = file + ".pnm";
    if (runCommand("opj_decompress -i " + shellQuote(source) + " -o " + shellQuote(pnm) +
                   " >/dev/null 2>&1") != 0)
        return {};
    return magickDecode(pnm);
}

TEST_P(JasRoundTrip, OurDecoderAndAnIndependentOneAgree)
{
    const RoundTrip c = GetParam();
    for (const auto &[w, h] : {std::pair{37, 23}, std::pair{1, 1}, std::pair{3, 40}, std::pair{130, 2}}) {
        ZvImage picture = c.colour ? makePattern24(w, h) : makeGrey(w, h);
        picture.SetJpegQuality(100);
        const std::string file =
            scratchDir() + "/roundtrip_" + std::to_string(w) + "x" + std::to_string(h) + "." + c.extension;
        ASSERT_TRUE(picture.Save(file.c_str(), c.type)) << file << ": " << picture.GetLastError();
        ZvImage back;
        ASSERT_TRUE(back.Load(file.c_str(), c.type)) << file << ": " << back.GetLastError();
        EXPECT_EQ(back.GetType(), c.type);
        EXPECT_EQ(back.GetBpp(), c.colour ? 24u : 8u);
        EXPECT_EQ(toRgb(back), toRgb(picture)) << file;
        if (!haveImageMagick() || !haveOpenJpegTools())
            continue;
        EXPECT_EQ(maxDifference(independentDecode(file, c.type), toRgb(picture)), 0) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, JasRoundTrip,
    ::testing::Values(RoundTrip{ZV_TYPE_JP2, "jp2", true}, RoundTrip{ZV_TYPE_JP2, "jp2", false},
                      RoundTrip{ZV_TYPE_JPC, "j2k", true}, RoundTrip{ZV_TYPE_JPC, "j2k", false},
                      RoundTrip{ZV_TYPE_PGX, "pgx", false}, RoundTrip{ZV_TYPE_PNM, "ppm", true},
                      RoundTrip{ZV_TYPE_PNM, "pgm", false}, RoundTrip{ZV_TYPE_RAS, "ras", true},
                      RoundTrip{ZV_TYPE_RAS, "ras", false}));

TEST(JasEncode, QualityBoundsTheCodestreamSize)
{
    ZvImage picture = makePattern24(200, 150);
    const std::size_t raw = 200 * 150 * 3;
    picture.SetJpegQuality(100);
    const std::string lossless = encode(picture, ZV_TYPE_JPC);
    for (const int quality : {50, 10, 0}) {
        picture.SetJpegQuality(std::uint8_t(quality));
        const std::string bytes = encode(picture, ZV_TYPE_JPC);
        ASSERT_FALSE(bytes.empty()) << picture.GetLastError();
        const std::size_t bound = raw * std::size_t(std::max(quality, 1)) / 100 + 256;
        EXPECT_LE(bytes.size(), bound) << quality;
        EXPECT_LE(bytes.size(), lossless.size()) << quality;
        ZvImage back;
        ASSERT_TRUE(back.Decode(reinterpret_cast<std::uint8_t *>(const_cast<char *>(bytes.data())),
                                std::uint32_t(bytes.size()), ZV_TYPE_JPC));
        EXPECT_EQ(back.GetWidth(), 200u);
        EXPECT_EQ(back.GetHeight(), 150u);
    }
}

TEST(JasEncode, RefusesPicturesItCannotRepresent)
{
    ZvImage colourIndexed = makePatternIndexed(8, 8, 8);
    for (const auto &[type, message] :
         {std::pair{ZV_TYPE_JP2, "JPEG 2000 can save only RGB or GrayScale images"},
          std::pair{ZV_TYPE_JPC, "JPEG 2000 can save only RGB or GrayScale images"},
          std::pair{ZV_TYPE_PNM, "PNM can save only RGB or GrayScale images"},
          std::pair{ZV_TYPE_RAS, "RAS can save only RGB or GrayScale images"},
          std::pair{ZV_TYPE_PGX, "PGX can save only GrayScale images"}}) {
        EXPECT_TRUE(encode(colourIndexed, type).empty());
        EXPECT_STREQ(colourIndexed.GetLastError(), message);
    }
    ZvImage colour = makePattern24(4, 4);
    EXPECT_TRUE(encode(colour, ZV_TYPE_PGX).empty());
    EXPECT_STREQ(colour.GetLastError(), "PGX can save only GrayScale images");
}

TEST(JasEncode, HeadersAreTheDocumentedOnes)
{
    ZvImage grey = makeGrey(3, 2);
    EXPECT_EQ(encode(grey, ZV_TYPE_PNM).substr(0, 11), "P5\n3 2\n255\n");
    EXPECT_EQ(encode(grey, ZV_TYPE_PGX).substr(0, 14), "PG ML + 8 3 2\n");
    ZvImage colour = makePattern24(3, 2);
    const std::string ras = encode(colour, ZV_TYPE_RAS);
    ASSERT_EQ(ras.size(), 32u + 2 * 10); // rows of 9 bytes padded to 10
    EXPECT_EQ(ras.substr(0, 16), std::string("\x59\xA6\x6A\x95\0\0\0\x03\0\0\0\x02\0\0\0\x18", 16));
    EXPECT_EQ(ras.substr(16, 16), std::string("\0\0\0\x14\0\0\0\x01\0\0\0\0\0\0\0\0", 16));
}

TEST(JasDecode, TypeZeroRecognisesEveryFormatAndATypedDecodeOnlyItsOwn)
{
    ZvImage grey = makeGrey(5, 4);
    grey.SetJpegQuality(100);
    for (const std::uint32_t type : {ZV_TYPE_JP2, ZV_TYPE_JPC, ZV_TYPE_PGX, ZV_TYPE_PNM, ZV_TYPE_RAS}) {
        std::string bytes = encode(grey, type);
        auto *data = reinterpret_cast<std::uint8_t *>(bytes.data());
        ZvImage sniffed;
        ASSERT_TRUE(sniffed.Decode(data, std::uint32_t(bytes.size()), ZV_TYPE_UNKNOWN)) << type;
        EXPECT_EQ(sniffed.GetType(), type);
        EXPECT_EQ(toRgb(sniffed), toRgb(grey)) << type;
        const std::uint32_t other = type == ZV_TYPE_RAS ? ZV_TYPE_JP2 : type + 1;
        ZvImage typed;
        EXPECT_FALSE(typed.Decode(data, std::uint32_t(bytes.size()), other)) << type;
        EXPECT_STRNE(typed.GetLastError(), "");
    }
}

TEST(JasDecode, NetpbmVariantsReadTheSamePicture)
{
    struct Case
    {
        std::string bytes;
        std::vector<std::uint8_t> rgb;
    };
    const std::vector<std::uint8_t> bw = {0, 0, 0, 255, 255, 255, 0, 0, 0};
    const Case cases[] = {
        {"P1\n3 1\n101\n", bw},
        {"P1 # comment\n3 1\n1 0\n1\n", bw},
        {"P4\n3 1\n\xA0", bw},
        {"P2\n3 1\n4\n4 2 0\n", {255, 255, 255, 128, 128, 128, 0, 0, 0}},
        {"P5\n2 1\n65535\n\xFF\xFF\x80\x00"s, {255, 255, 255, 128, 128, 128}},
        {"P3\n1 1\n255\n1 2 3\n", {1, 2, 3}},
        {"P6\n1 1\n1000\n", {}},
    };
    for (const Case &c : cases) {
        std::string bytes = c.bytes;
        ZvImage image;
        const bool ok = image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()),
                                     std::uint32_t(bytes.size()), ZV_TYPE_PNM);
        ASSERT_EQ(ok, !c.rgb.empty()) << c.bytes << ": " << image.GetLastError();
        if (ok) {
            EXPECT_EQ(toRgb(image).rgb, c.rgb) << c.bytes;
        }
    }
}

TEST(JasDecode, PamAlphaBesideColourBecomesTheAlphaPlane)
{
    std::string rgba = "P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                       "\x01\x02\x03\x40\x04\x05\x06\xC0"s;
    ZvImage image;
    ASSERT_TRUE(
        image.Decode(reinterpret_cast<std::uint8_t *>(rgba.data()), std::uint32_t(rgba.size()), ZV_TYPE_PNM))
        << image.GetLastError();
    EXPECT_EQ(toRgb(image).rgb, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(image.AlphaGet(0, 0), 0x40);
    EXPECT_EQ(image.AlphaGet(1, 0), 0xC0);
    // Grey with alpha stays an indexed grey picture; its alpha is dropped.
    std::string greyAlpha = "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 2\nMAXVAL 255\nENDHDR\n\x80\x10"s;
    ZvImage grey;
    ASSERT_TRUE(grey.Decode(reinterpret_cast<std::uint8_t *>(greyAlpha.data()),
                            std::uint32_t(greyAlpha.size()), ZV_TYPE_PNM));
    EXPECT_EQ(grey.GetBpp(), 8u);
    EXPECT_FALSE(grey.AlphaIsValid());
    EXPECT_EQ(toRgb(grey).rgb, (std::vector<std::uint8_t>{128, 128, 128}));
}

TEST(JasDecode, BadInputFailsWithAMessage)
{
    const std::pair<std::string, const char *> cases[] = {
        {"P5\n2 2\n255\n\x01\x02\x03", "PNM file is truncated"},
        {"P5\n1 1\n100\n\x65", "PNM sample exceeds its maximum value"},
        {"P2\n1 1\n100\n101\n", "PNM sample exceeds its maximum value"},
        {"P6\n0 1\n255\n", "PNM header is invalid"},
        {"P6\n1 1\n65536\n", "PNM header is invalid"},
        {"P5\n99999999999 1\n255\n", "PNM header is invalid"},
        // 60000 x 60000 grey from a few bytes: refused before any allocation.
        {"P5\n60000 60000\n255\n\x01", "PNM file is truncated"},
        {"PG ML + 8 60000 60000\n", "PGX file is truncated"},
        {"PG ML + 20 1 1\n\x01\x02\x03", "PGX depth not supported"},
        {std::string("\x59\xA6\x6A\x95\0\0\0\x02\0\0\0\x02\0\0\0\x10", 16) + std::string(16, '\0'),
         "Unsupported RAS depth"},
        {std::string("\x59\xA6\x6A\x95\0\0\xEA\x60\0\0\xEA\x60\0\0\0\x08\0\0\0\0\0\0\0\x02\0\0\0\0\0\0\0\0",
                     32) +
             "\x80\xFF",
         "RAS file is truncated"},
        {"\xFF\x4F\xFF\x51\0", "error: cannot load image data"},
    };
    for (const auto &[input, message] : cases) {
        std::string bytes = input;
        ZvImage image;
        EXPECT_FALSE(image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()), std::uint32_t(bytes.size()),
                                  ZV_TYPE_UNKNOWN));
        ZvImage typed;
        const std::uint32_t type = bytes[0] == 'P' ? (bytes[1] == 'G' ? ZV_TYPE_PGX : ZV_TYPE_PNM)
                                                   : (bytes[0] == '\xFF' ? ZV_TYPE_JPC : ZV_TYPE_RAS);
        EXPECT_FALSE(
            typed.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()), std::uint32_t(bytes.size()), type));
        EXPECT_EQ(std::string(typed.GetLastError()).substr(0, std::strlen(message)), message) << input;
    }
}

TEST(JasDecode, TruncatedCodestreamsFailQuietly)
{
    ZV_REQUIRE_CORPUS("openjpeg-data/input/conformance");
    // The library's complaints become the last error instead of stderr.
    std::fflush(stderr);
    const int saved = ::dup(2);
    const std::string errFile = scratchDir() + "/stderr.txt";
    const int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, 2);
    for (const char *name : {"p0_04.j2k", "file1.jp2", "a2_colr.j2c"}) {
        const std::string whole = readFile(conformanceDir() + "/" + name);
        for (const std::size_t keep : {whole.size() / 2, std::size_t(200), std::size_t(20)}) {
            std::string bytes = whole.substr(0, keep);
            ZvImage image;
            EXPECT_FALSE(image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()),
                                      std::uint32_t(bytes.size()),
                                      fs::path(name).extension() == ".jp2" ? ZV_TYPE_JP2 : ZV_TYPE_JPC))
                << name << " cut at " << keep;
            EXPECT_EQ(std::string(image.GetLastError()).rfind("error: cannot load image data", 0), 0u)
                << image.GetLastError();
        }
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(fd);
    EXPECT_EQ(readFile(errFile), "");
}

// Sizes from the SIZ marker: Xsiz, Ysiz, XTsiz, YTsiz at offsets 6, 10, 22, 26
// after the marker.
static std::string withSiz(std::string bytes, std::uint32_t side, std::uint32_t tile)
{
    const std::size_t siz = bytes.find("\xFF\x4F\xFF\x51"s) + 2;
    for (const auto &[at, v] :
         {std::pair{6, side}, std::pair{10, side}, std::pair{22, tile}, std::pair{26, tile}})
        for (int i = 0; i < 4; ++i)
            bytes[siz + std::size_t(at + i)] = char((v >> (24 - 8 * i)) & 0xFF);
    return bytes;
}

TEST(JasDecode, HugeCodestreamHeadersAreRefusedBeforeTheLibraryAllocates)
{
    ZvImage grey = makeGrey(16, 16);
    for (const std::uint32_t type : {ZV_TYPE_JPC, ZV_TYPE_JP2}) {
        const std::string small = encode(grey, type);
        // 2^32 samples; a million 1 x 1 tiles.
        for (const auto &[side, tile] : {std::pair{65536u, 65536u}, std::pair{1024u, 1u}}) {
            std::string bytes = withSiz(small, side, tile);
            ZvImage image;
            EXPECT_FALSE(image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()),
                                      std::uint32_t(bytes.size()), type));
            EXPECT_STREQ(image.GetLastError(), "error: cannot allocate memory") << type << " " << side;
        }
    }
}

// A flat picture compresses to one byte per packet; forged from it, tiles
// whose packets lack that byte must be refused before the library decodes
// them. At 9000 x 9000 each forgery would cost a gigabyte and seconds.
TEST(JasDecode, TilesLackingTheirDataAreRefusedBeforeDecoding)
{
    ZvImage flat{2048, 2048, 8};
    flat.SetGrayPalette();
    std::memset(flat.GetBits(0), 128, flat.GetEffWidth() * flat.GetHeight());
    for (const std::uint32_t type : {ZV_TYPE_JPC, ZV_TYPE_JP2}) {
        const std::string honest = encode(flat, type);
        ASSERT_LT(honest.size(), 400u);
        ZvImage image;
        std::string bytes = honest;
        ASSERT_TRUE(
            image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()), std::uint32_t(bytes.size()), type))
            << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), 2048u);
        EXPECT_EQ(image.GetPixelIndex(2047, 0), 128);

        const std::size_t cod = honest.find("\xFF\x52"s), sot = honest.find("\xFF\x90"s);
        std::string layers = withSiz(honest, 9000, 9000);
        layers[cod + 7] = 100; // layers, low byte
        std::string cut = withSiz(honest, 9000, 9000);
        cut.erase(cut.size() - 3, 1); // the last packet, before EOC
        --cut[sot + 9];               // Psot, low byte
        for (std::string forged : {layers, cut, withSiz(honest, 9000, 4500)}) {
            ZvImage refused;
            EXPECT_FALSE(refused.Decode(reinterpret_cast<std::uint8_t *>(forged.data()),
                                        std::uint32_t(forged.size()), type));
            EXPECT_STREQ(refused.GetLastError(),
                         "error: cannot load image data: the codestream lacks the data of its tiles");
        }
    }
}

TEST(JasDecode, RasVariantsReadTheSamePicture)
{
    auto header = [](std::uint32_t w, std::uint32_t h, std::uint32_t depth, std::uint32_t type,
                     std::uint32_t maptype, std::uint32_t maplength) {
        std::string out;
        for (const std::uint32_t v : {0x59A66A95u, w, h, depth, 0u, type, maptype, maplength})
            for (int shift = 24; shift >= 0; shift -= 8)
                out += char((v >> shift) & 0xFF);
        return out;
    };
    const std::vector<std::uint8_t> want = {10, 20, 30, 10, 20, 30, 10, 20, 30};
    const std::string inputs[] = {
        header(3, 1, 24, 1, 0, 0) + std::string("\x1E\x14\x0A\x1E\x14\x0A\x1E\x14\x0A\0", 10),
        header(3, 1, 24, 3, 0, 0) + std::string("\x0A\x14\x1E\x0A\x14\x1E\x0A\x14\x1E\0", 10),
        header(3, 1, 32, 1, 0, 0) + std::string("\0\x1E\x14\x0A\0\x1E\x14\x0A\0\x1E\x14\x0A", 12),
        header(3, 1, 8, 2, 1, 6) + std::string("\0\x0A\0\x14\0\x1E", 6) + std::string("\x80\x02\x01\0", 4),
        header(3, 1, 8, 2, 1, 6) + std::string("\0\x0A\0\x14\0\x1E", 6) + std::string("\x80\x03\x01", 3),
    };
    for (const std::string &input : inputs) {
        std::string bytes = input;
        ZvImage image;
        ASSERT_TRUE(image.Decode(reinterpret_cast<std::uint8_t *>(bytes.data()), std::uint32_t(bytes.size()),
                                 ZV_TYPE_RAS))
            << image.GetLastError();
        EXPECT_EQ(toRgb(image).rgb, want);
    }
}
