// tests/imagelib/handle_test.cpp
#include "imagelib/core/image.h"
#include "platform/global_block.h"
#include "tests/imagelib/bmp_bytes.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

namespace {

bool fromBlock(const Bytes &bytes, ZvImage &image)
{
    return image.CreateFromHANDLE(GlobalBlock(bytes));
}

std::string failureOf(const Bytes &bytes)
{
    ZvImage image;
    if (fromBlock(bytes, image))
        return "created";
    EXPECT_FALSE(image.IsValid());
    return image.GetLastError();
}

// The same pixels through the file reader, for comparison.
Rgb8 asFile(const BmpSpec &s)
{
    Bytes file = bmpFile(s);
    ZvImage image;
    EXPECT_TRUE(image.Decode(file.data(), std::uint32_t(file.size()), ZV_TYPE_BMP)) << image.GetLastError();
    return toRgb(image);
}

std::vector<RGBQUAD> colours(int n)
{
    std::vector<RGBQUAD> p;
    for (int i = 0; i < n; ++i)
        p.push_back(RGBQUAD{std::uint8_t(40 * i), std::uint8_t(255 - 30 * i), std::uint8_t(7 * i), 0});
    return p;
}

BmpSpec indexed8()
{
    BmpSpec s;
    s.width = 3;
    s.height = 2;
    s.bitCount = 8;
    s.colorsUsed = 4;
    s.palette = colours(4);
    s.pixels = {0, 1, 2, 0, 3, 2, 1, 0};
    return s;
}

} // namespace

TEST(Handle, PlainBlocksOfEveryIndexedDepthAndTrueColour)
{
    BmpSpec s = indexed8();
    ZvImage image;
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetType(), 0u);
    EXPECT_EQ(image.GetBpp(), 8u);
    // The bits follow the four stored entries, not a full 256-entry table.
    EXPECT_EQ(image.GetPixelIndex(0, 1), 3);
    EXPECT_EQ(image.GetPaletteColor(3), (RGBQUAD{120, 165, 21, 0}));
    EXPECT_EQ(toRgb(image), asFile(s));

    BmpSpec t;
    t.width = 2;
    t.height = 2;
    t.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    ASSERT_TRUE(fromBlock(packedDib(t), image));
    EXPECT_EQ(image.GetBpp(), 24u);
    EXPECT_EQ(toRgb(image), asFile(t));
}

TEST(Handle, CoreHeaderWithThreeByteEntries)
{
    BmpSpec s = indexed8();
    s.headerSize = 12;
    s.bitCount = 1;
    s.width = 10;
    s.palette = colours(2);
    s.pixels = {0b10110000, 0b01000000, 0, 0, 0b01001111, 0b11000000, 0, 0};
    ZvImage image;
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPaletteColor(1), (RGBQUAD{40, 225, 7, 0}));
    EXPECT_EQ(image.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(image.GetPixelIndex(9, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 1);
}

TEST(Handle, RunLengthBlocks)
{
    BmpSpec s = indexed8();
    s.compression = 1;
    s.pixels = {3, 2, 0, 0, 0, 3, 1, 0, 3, 0, 0, 1};
    ZvImage image;
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(toRgb(image), asFile(s));
    EXPECT_EQ(image.GetPixelIndex(2, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 0);

    s.bitCount = 4;
    s.compression = 2;
    s.pixels = {3, 0x21, 0, 0, 0, 3, 0x32, 0x10, 0, 1};
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(toRgb(image), asFile(s));
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(image.GetPixelIndex(0, 1), 3);

    s.bitCount = 24;
    s.colorsUsed = 0;
    s.palette.clear();
    EXPECT_EQ(failureOf(packedDib(s)), "compression type not supported");
}

TEST(Handle, SixteenAndThirtyTwoBitBlocks)
{
    BmpSpec s;
    s.width = 2;
    s.bitCount = 16;
    s.pixels = {0xFF, 0x7F, 0x00, 0x7C}; // white, red in 5-5-5
    ZvImage image;
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(0, 0), (RGBQUAD{255, 255, 255, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQUAD{0, 0, 255, 0}));

    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0x1F, 0x00, 0xE0, 0x07}; // blue, green in 5-6-5
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(0, 0), (RGBQUAD{255, 0, 0, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQUAD{0, 255, 0, 0}));

    s.bitCount = 32;
    s.compression = 0;
    s.masks.clear();
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQUAD{5, 6, 7, 0}));

    s.compression = 3;
    s.masks = {0x0000FF00, 0x00FF0000, 0xFF000000};
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQUAD{8, 7, 6, 0}));

    // Masks inside a version 5 header.
    s.headerSize = 124;
    ASSERT_TRUE(fromBlock(packedDib(s), image)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQUAD{8, 7, 6, 0}));

    s.headerSize = 40;
    s.compression = 1;
    s.masks.clear();
    EXPECT_EQ(failureOf(packedDib(s)), "unknown compression");
}

TEST(Handle, ResolutionAndTopDownRows)
{
    BmpSpec s;
    s.height = -2;
    s.xPelsPerMeter = 2835;
    s.pixels = {1, 1, 1, 0, 2, 2, 2, 0};
    ZvImage image;
    ASSERT_TRUE(fromBlock(packedDib(s), image));
    EXPECT_EQ(image.GetXDPI(), 72);
    EXPECT_EQ(image.GetYDPI(), 96); // 0 in the block
    EXPECT_EQ(image.GetHeader().biYPelsPerMeter, 3780);
    EXPECT_EQ(image.GetPixelColor(0, 1).rgbRed, 1); // the first stored row is the top
    EXPECT_EQ(image.GetPixelColor(0, 0).rgbRed, 2);
}

TEST(Handle, TruncatedBlocksFailWithoutReadingPastTheirEnd)
{
    std::vector<BmpSpec> specs;
    specs.push_back(indexed8());
    BmpSpec rle = indexed8();
    rle.compression = 1;
    rle.pixels = {3, 2, 0, 0, 0, 3, 1, 0, 3, 0, 0, 1};
    specs.push_back(rle);
    BmpSpec wide;
    wide.width = 3;
    wide.height = 2;
    wide.bitCount = 32;
    wide.compression = 3;
    wide.masks = {0xFF0000, 0xFF00, 0xFF};
    wide.pixels = Bytes(24, 9);
    specs.push_back(wide);
    BmpSpec core = indexed8();
    core.headerSize = 12;
    core.palette = colours(256);
    specs.push_back(core);
    for (const BmpSpec &s : specs) {
        const Bytes whole = packedDib(s);
        ZvImage full;
        ASSERT_TRUE(fromBlock(whole, full)) << full.GetLastError();
        // Copies hold exactly the prefix, so any read beyond it shows up under
        // ASan. A prefix may only succeed when what it lacks is padding.
        for (std::size_t n = 0; n < whole.size(); ++n) {
            ZvImage image;
            if (fromBlock(Bytes(whole.begin(), whole.begin() + long(n)), image))
                EXPECT_EQ(toRgb(image), toRgb(full)) << n;
            else
                EXPECT_STRNE(image.GetLastError(), "") << n;
        }
    }
    const Bytes whole = packedDib(indexed8());
    EXPECT_EQ(failureOf(Bytes(whole.begin(), whole.end() - 4)), "corrupted BMP");
    EXPECT_EQ(failureOf({}), "empty memory block");
}

TEST(Handle, AFailureLeavesNoPicture)
{
    ZvImage image = makePattern24(4, 4);
    BmpSpec s;
    s.bitCount = 7;
    EXPECT_FALSE(fromBlock(packedDib(s), image));
    EXPECT_FALSE(image.IsValid());
    EXPECT_STREQ(image.GetLastError(), "unsupported BMP bit count");
}
