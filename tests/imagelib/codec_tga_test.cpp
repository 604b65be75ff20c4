// tests/imagelib/codec_tga_test.cpp
#include "imagelib/codecs/tga/codec_tga.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string tgaHeader(int imageType, int width, int height, int depth, int descriptor = 0, int mapLength = 0,
                      int mapDepth = 0, int mapFirst = 0)
{
    const int mapType = mapLength > 0 ? 1 : 0;
    std::string h = {0,
                     char(mapType),
                     char(imageType),
                     char(mapFirst & 0xFF),
                     char(mapFirst >> 8),
                     char(mapLength & 0xFF),
                     char(mapLength >> 8),
                     char(mapDepth),
                     0,
                     0,
                     0,
                     0,
                     char(width & 0xFF),
                     char(width >> 8),
                     char(height & 0xFF),
                     char(height >> 8),
                     char(depth),
                     char(descriptor)};
    return h;
}

std::string decodeError(const std::string &bytes)
{
    return decodeError(bytes, ZV_TYPE_TGA);
}

} // namespace

TEST(TgaDecode, ImageRsSuiteMatchesReferences)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const std::string root = corporaDir() + "/image-rs-tests";
    int compared = 0;
    for (const std::string &path : listFiles(root + "/images/tga/testsuite", ".tga")) {
        const std::string name = fs::path(path).filename().string();
        std::string reference = root + "/reference/tga/testsuite/" + name + ".png";
        ZvImage image;
        ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_TGA)) << name << ": " << image.GetLastError();
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_TGA));
        if (!fs::exists(reference)) {
            // No rendering in the suite: ImageMagick's view of the file.
            EXPECT_EQ(maxDifference(toRgb(image), magickDecodeOriented(path)), 0) << name;
            continue;
        }
        EXPECT_EQ(maxDifference(toRgb(image), magickDecode(reference)), 0) << name;
        // utc32 keeps zero in its alpha bytes and its extension area says
        // they are not alpha; the suite renders it transparent, we opaque.
        const std::vector<std::uint8_t> alpha = magickAlpha(reference);
        if (name != "utc32.tga")
            EXPECT_EQ(alphaTopDown(image), alpha) << name;
        else
            EXPECT_FALSE(image.AlphaIsValid());
        ++compared;
    }
    EXPECT_EQ(compared, 14);
}

TEST(TgaDecode, ZigimgSuiteMatchesImageMagick)
{
    ZV_REQUIRE_CORPUS("zigimg-test-suite");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const auto files = listFiles(corporaDir() + "/zigimg-test-suite/tga", ".tga");
    ASSERT_EQ(files.size(), 12u);
    for (const std::string &path : files) {
        ZvImage image;
        ASSERT_TRUE(image.Load(path.c_str(), ZV_TYPE_TGA)) << path << ": " << image.GetLastError();
        EXPECT_EQ(maxDifference(toRgb(image), magickDecodeOriented(path)), 0) << path;
    }
}

TEST(TgaDecode, RegressionFilesEndCleanly)
{
    ZV_REQUIRE_CORPUS("image-rs-tests");
    for (const std::string &path : listFiles(corporaDir() + "/image-rs-tests/regression/tga")) {
        ZvImage image;
        if (image.Load(path.c_str(), ZV_TYPE_TGA))
            EXPECT_TRUE(image.IsValid()) << path;
        else
            EXPECT_STRNE(image.GetLastError(), "") << path;
    }
}

TEST(TgaDecode, RefusesWithTheListedMessages)
{
    EXPECT_EQ(decodeError(std::string(10, '\0')), "Not a TGA");
    EXPECT_EQ(decodeError(tgaHeader(4, 2, 2, 24)), "Unknown TGA image type");
    EXPECT_EQ(decodeError(tgaHeader(2, 0, 2, 24)), "bad TGA header");
    EXPECT_EQ(decodeError(tgaHeader(2, 2, 2, 12)), "bad TGA header");
    EXPECT_EQ(decodeError(tgaHeader(1, 2, 2, 8)), "bad TGA header"); // colour-mapped without a map
    EXPECT_EQ(decodeError(tgaHeader(2, 2, 2, 24) + std::string(11, '\x40')), "corrupted TGA");
    EXPECT_EQ(decodeError(tgaHeader(10, 2, 2, 24) + "\x81\x01\x02\x03"), "corrupted TGA");
    // A header promising more pixels than the file holds is refused before
    // any pixel memory is taken; where the size is unknown the limit refuses it.
    EXPECT_EQ(decodeError(tgaHeader(10, 65535, 65535, 24) + std::string(1000, '\xFF')), "corrupted TGA");
    ZvImage huge;
    EXPECT_FALSE(decodeUnsized(tgaHeader(2, 65535, 65535, 24), ZV_TYPE_TGA, huge));
    EXPECT_STREQ(huge.GetLastError(), "TGA Create failed");
}

TEST(TgaDecode, RunsPastThePictureAreClippedAndIndicesPastTheMapAreBlack)
{
    // A 3 x 1 mapped picture with a 2-entry map at index 5: one run of 100
    // pixels of index 200, which the map does not cover.
    std::string file = tgaHeader(9, 3, 1, 8, 0, 2, 24, 5) + "\x10\x20\x30\x40\x50\x60";
    file += std::string("\xE3\xC8", 2);
    ZvImage image;
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_TGA, image)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 8u);
    EXPECT_EQ(image.GetPixelIndex(2, 0), 200);
    EXPECT_EQ(image.GetPaletteColor(200), RGBQUAD());
    EXPECT_EQ(image.GetPaletteColor(6), (RGBQUAD{0x40, 0x50, 0x60, 0}));
}

TEST(TgaDecode, OrderOfRowsAndColumnsAnd16BitColours)
{
    // 2 x 2, 16 bits, top row first and right to left: file pixels are
    // red, green (top row, right to left), then blue, white.
    const std::string pixels("\x00\x7C\xE0\x03\x1F\x00\xFF\x7F", 8);
    ZvImage image;
    ASSERT_TRUE(decodeBytes(tgaHeader(2, 2, 2, 16, 0x30) + pixels, ZV_TYPE_TGA, image));
    const Rgb8 rgb = toRgb(image);
    const std::vector<std::uint8_t> expect = {0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255};
    EXPECT_EQ(rgb.rgb, expect);
    EXPECT_FALSE(image.AlphaIsValid());
}

TEST(TgaDecode, HeaderOnlyAndCancel)
{
    const std::string file = tgaHeader(3, 7, 5, 8) + std::string(35, '\x11');
    ZvImage probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_TGA, probe));
    EXPECT_FALSE(probe.IsValid());
    EXPECT_EQ(probe.GetWidth(), 7u);
    EXPECT_EQ(probe.GetHeight(), 5u);

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(file, ZV_TYPE_TGA, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(TgaEncode, EightBitHeaderPaletteAndRowsByteForByte)
{
    ZvImage image = makePatternIndexed(3, 2, 8);
    const std::string bytes = encodeBytes(image, ZV_TYPE_TGA);
    ASSERT_EQ(bytes.size(), 18u + 768u + 6u);
    EXPECT_EQ(bytes.substr(0, 18), tgaHeader(1, 3, 2, 8, 0, 256, 24));
    const RGBQUAD c = image.GetPaletteColor(9);
    EXPECT_EQ(bytes.substr(18 + 27, 3), std::string({char(c.rgbBlue), char(c.rgbGreen), char(c.rgbRed)}));
    EXPECT_EQ(bytes.substr(18 + 768), std::string(reinterpret_cast<const char *>(image.GetBits(0)), 3) +
                                          std::string(reinterpret_cast<const char *>(image.GetBits(1)), 3));
}

TEST(TgaEncode, TrueColourWithAndWithoutAlpha)
{
    ZvImage image = makePattern24(3, 2);
    std::string bytes = encodeBytes(image, ZV_TYPE_TGA);
    ASSERT_EQ(bytes.size(), 18u + 18u);
    EXPECT_EQ(bytes.substr(0, 18), tgaHeader(2, 3, 2, 24));
    EXPECT_EQ(bytes.substr(18, 9), std::string(reinterpret_cast<const char *>(image.GetBits(0)), 9));

    image.AlphaCreate();
    image.AlphaSet(1, 0, 100);
    image.AlphaSetMax(128);
    bytes = encodeBytes(image, ZV_TYPE_TGA);
    ASSERT_EQ(bytes.size(), 18u + 24u);
    EXPECT_EQ(bytes.substr(0, 18), tgaHeader(2, 3, 2, 32));
    EXPECT_EQ(std::uint8_t(bytes[18 + 3]), 128); // 255 * 128 / 255
    EXPECT_EQ(std::uint8_t(bytes[18 + 7]), 100 * 128 / 255);
}

TEST(TgaEncode, RefusesPicturesBelowEightBits)
{
    for (int bpp : {1, 4}) {
        ZvImage image = makePatternIndexed(4, 4, bpp);
        EXPECT_TRUE(encodeBytes(image, ZV_TYPE_TGA).empty());
        EXPECT_STREQ(image.GetLastError(), "Bit depth must be 8 or 24");
    }
}

TEST(TgaEncode, OutputDecodesAlikeHereAndInImageMagick)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    ZvImage withAlpha = makePattern24(37, 21);
    withAlpha.AlphaCreate();
    for (int x = 0; x < 37; ++x)
        withAlpha.AlphaSet(x, x % 21, std::uint8_t(x * 7));
    ZvImage pictures[] = {makePatternIndexed(37, 21, 8), makePattern24(37, 21), std::move(withAlpha)};
    for (ZvImage &picture : pictures) {
        const std::string path = scratchFile("out.tga", encodeBytes(picture, ZV_TYPE_TGA));
        ZvImage back;
        ASSERT_TRUE(back.Load(path.c_str(), ZV_TYPE_TGA)) << back.GetLastError();
        EXPECT_EQ(toRgb(back), toRgb(picture));
        EXPECT_EQ(maxDifference(toRgb(back), magickDecodeOriented(path)), 0);
        EXPECT_EQ(alphaTopDown(back), alphaTopDown(picture));
        EXPECT_EQ(magickAlpha(path), alphaTopDown(picture));
    }
}
