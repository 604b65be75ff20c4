// tests/imagelib/codec_wbmp_test.cpp
#include "imagelib/codecs/wbmp/codec_wbmp.h"
#include "tests/imagelib/codec_roundtrip.h"

#include <gtest/gtest.h>

namespace {

std::string decodeError(const std::string &bytes)
{
    return decodeError(bytes, ZV_TYPE_WBMP);
}

} // namespace

TEST(WbmpDecode, BothSampleFilesMatchImageMagick)
{
    ZV_REQUIRE_CORPUS("wbmp");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const auto files = listFiles(corporaDir() + "/wbmp", ".wbmp");
    ASSERT_EQ(files.size(), 2u);
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{100, 100}, {640, 426}};
    for (std::size_t i = 0; i < files.size(); ++i) {
        ZvImage image;
        ASSERT_TRUE(image.Load(files[i].c_str(), ZV_TYPE_WBMP)) << files[i] << ": " << image.GetLastError();
        EXPECT_EQ(image.GetWidth(), sizes[i].first);
        EXPECT_EQ(image.GetHeight(), sizes[i].second); // 640 and 426 take two header bytes each
        EXPECT_EQ(image.GetBpp(), 1u);
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_WBMP));
        EXPECT_EQ(maxDifference(toRgb(image), magickDecode(files[i])), 0) << files[i];
    }
}

TEST(WbmpDecode, RefusesWithTheListedMessages)
{
    EXPECT_EQ(decodeError(""), "Not a WBMP");
    EXPECT_EQ(decodeError(std::string("\x00\x00\x00\x05", 4)), "Not a WBMP"); // no width
    EXPECT_EQ(decodeError(std::string("\x00\x80\x08\x01", 4)), "Not a WBMP"); // extension headers
    EXPECT_EQ(decodeError(std::string("\x00\x00\xFF\xFF\xFF\xFF\xFF\x01", 8)), "Not a WBMP"); // > 32 bits
    EXPECT_EQ(decodeError(std::string("\x02\x00\x08\x01\x00", 5)), "Unsupported WBMP type");
    EXPECT_EQ(decodeError(std::string("\x00\x00\x09\x02\x00\x00\x00", 7)), "Corrupted WBMP");
    // 2^28 - 1 square: more than the file holds, and past the size limit
    // where the file's size is unknown; refused before pixels are allocated.
    const std::string huge("\x00\x00\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 10);
    EXPECT_EQ(decodeError(huge + std::string(100, '\0')), "Corrupted WBMP");
    ZvImage image;
    EXPECT_FALSE(decodeUnsized(huge, ZV_TYPE_WBMP, image));
    EXPECT_STREQ(image.GetLastError(), "WBMP Create failed");
}

// Without a signature, sniffing takes a file as WBMP only when it is one
// exactly; the same bytes named as WBMP still decode, trailing bytes and all.
TEST(WbmpDecode, SniffingTakesOnlyAnExactFit)
{
    std::string fax("\x00\x00\x01\x4C", 4); // EOL codes of a G3 fax: 1 x 76 as WBMP
    for (int i = 0; fax.size() < 1200; ++i)
        fax += i % 3 ? '\x00' : '\x01';
    std::string table("\x00\x00\x01\x02", 4); // an 8-bit lookup table 0..255: 1 x 2
    for (int i = 4; i < 256; ++i)
        table += char(i);
    const std::string text = std::string(2, '\0') + "alpha beta gamma delta " + std::string(2000, 'x');
    for (const std::string &bytes : {fax, table, text}) {
        ZvImage named, sniffed;
        EXPECT_TRUE(decodeBytes(bytes, ZV_TYPE_WBMP, named)) << named.GetLastError();
        EXPECT_FALSE(decodeBytes(bytes, ZV_TYPE_UNKNOWN, sniffed))
            << sniffed.GetWidth() << " x " << sniffed.GetHeight() << " as type " << sniffed.GetType();
        ZvImage probe;
        probe.SetEscape(-1);
        EXPECT_FALSE(decodeBytes(bytes, ZV_TYPE_UNKNOWN, probe));
    }

    // 9 x 2: two bytes a row. Exactly that is a WBMP, and with a byte of
    // padding; a further row or a byte less is not, nor is a width in a
    // longer form than it needs (0x80 0x09).
    const std::string head("\x00\x00\x09\x02", 4);
    const std::string rows("\xFF\x80\x00\x00", 4);
    ZvImage exact;
    ASSERT_TRUE(decodeBytes(head + rows, ZV_TYPE_UNKNOWN, exact)) << exact.GetLastError();
    EXPECT_EQ(exact.GetType(), std::uint32_t(ZV_TYPE_WBMP));
    EXPECT_EQ(exact.GetWidth(), 9u);
    EXPECT_EQ(exact.GetBits(1)[0], 0xFF); // the top row is the last DIB row
    ZvImage withPadding, longer, shorter, padded;
    EXPECT_TRUE(decodeBytes(head + rows + '\0', ZV_TYPE_UNKNOWN, withPadding));
    EXPECT_EQ(withPadding.GetType(), std::uint32_t(ZV_TYPE_WBMP));
    EXPECT_FALSE(decodeBytes(head + rows + std::string(2, '\0'), ZV_TYPE_UNKNOWN, longer));
    EXPECT_FALSE(decodeBytes(head + rows.substr(0, 3), ZV_TYPE_UNKNOWN, shorter));
    EXPECT_FALSE(decodeBytes(std::string("\x00\x00\x80\x09\x02", 5) + rows, ZV_TYPE_UNKNOWN, padded));
    ZvImage lenient;
    EXPECT_TRUE(decodeBytes(std::string("\x00\x00\x80\x09\x02", 5) + rows, ZV_TYPE_WBMP, lenient));
}

// The suite's fax once sniffed as a 10 x 108 WBMP; the sample files, one of
// them a byte longer than its rows, still sniff as WBMP.
TEST(WbmpDecode, SniffingTellsSuiteFilesApart)
{
    ZV_REQUIRE_CORPUS("wbmp");
    ZV_REQUIRE_CORPUS("libtiff-pics-3.8.0");
    ZvImage fax;
    EXPECT_FALSE(fax.Load((corporaDir() + "/libtiff-pics-3.8.0/g3test.g3").c_str(), ZV_TYPE_UNKNOWN))
        << fax.GetWidth() << " x " << fax.GetHeight();
    for (const std::string &file : listFiles(corporaDir() + "/wbmp", ".wbmp")) {
        ZvImage image;
        ASSERT_TRUE(image.Load(file.c_str(), ZV_TYPE_UNKNOWN)) << file;
        EXPECT_EQ(image.GetType(), std::uint32_t(ZV_TYPE_WBMP)) << file;
    }
}

TEST(WbmpDecode, HeaderOnlyAndCancel)
{
    const std::string file("\x00\x00\x81\x00\x03", 5); // 128 x 3
    ZvImage probe;
    probe.SetEscape(-1);
    ASSERT_TRUE(decodeBytes(file, ZV_TYPE_WBMP, probe));
    EXPECT_FALSE(probe.IsValid());
    EXPECT_EQ(probe.GetWidth(), 128u);
    EXPECT_EQ(probe.GetHeight(), 3u);

    ZvImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(decodeBytes(file + std::string(48, '\x55'), ZV_TYPE_WBMP, cancelled));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(WbmpEncode, BytesOfASmallPicture)
{
    ZvImage image(10, 2, 1);
    image.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    image.GetBits(1)[0] = 0xA5; // top row
    image.GetBits(1)[1] = 0xFF; // only two of these bits are pixels
    image.GetBits(0)[0] = 0x0F;
    image.GetBits(0)[1] = 0x40;
    EXPECT_EQ(encodeBytes(image, ZV_TYPE_WBMP), std::string("\x00\x00\x0A\x02\xA5\xC0\x0F\x40", 8));
}

TEST(WbmpEncode, SizesFrom128TakeTwoBytes)
{
    ZvImage image(200, 255, 1);
    const std::string bytes = encodeBytes(image, ZV_TYPE_WBMP);
    EXPECT_EQ(bytes.substr(0, 6), std::string("\x00\x00\x81\x48\x81\x7F", 6));
    EXPECT_EQ(bytes.size(), 6u + 25u * 255u);
}

TEST(WbmpEncode, RefusesWhatTheFormatCannotHold)
{
    ZvImage wide(256, 10, 1);
    ZvImage tall(10, 256, 1);
    ZvImage grey = makePatternIndexed(10, 10, 8);
    for (ZvImage *image : {&wide, &tall, &grey}) {
        EXPECT_TRUE(encodeBytes(*image, ZV_TYPE_WBMP).empty());
        EXPECT_STREQ(image->GetLastError(), "Can't save this image as WBMP");
    }
}

TEST(WbmpEncode, OutputDecodesAlikeHereAndInImageMagick)
{
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    ZvImage blackWhite = makePatternIndexed(131, 37, 1);
    blackWhite.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    blackWhite.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    // White on index 0: written inverted, since readers take 1 for white.
    ZvImage whiteBlack = makePatternIndexed(131, 37, 1);
    whiteBlack.SetPaletteColor(0, RGBQUAD{255, 255, 255, 0});
    whiteBlack.SetPaletteColor(1, RGBQUAD{0, 0, 0, 0});
    for (ZvImage *picture : {&blackWhite, &whiteBlack}) {
        const std::string path = scratchFile("out.wbmp", encodeBytes(*picture, ZV_TYPE_WBMP));
        ZvImage back;
        ASSERT_TRUE(back.Load(path.c_str(), ZV_TYPE_WBMP)) << back.GetLastError();
        EXPECT_EQ(toRgb(back), toRgb(*picture));
        EXPECT_EQ(toRgb(back), magickDecode(path));
    }
}
