// tests/imagelib/rotate_test.cpp
#include "imagelib/core/image.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// Whole rows, padding included: rotations must leave padding 0.
std::vector<std::uint8_t> allBytes(const ZvImage &image)
{
    return std::vector<std::uint8_t>(image.GetBits(0),
                                     image.GetBits(0) + image.GetEffWidth() * image.GetHeight());
}

// Index for indexed pictures, packed colour for 24-bit ones.
std::uint32_t pixel(const ZvImage &image, int x, int y)
{
    if (image.IsIndexed())
        return image.GetPixelIndex(x, y);
    const RGBQUAD c = image.GetPixelColor(x, y, false);
    return std::uint32_t(c.rgbBlue) | std::uint32_t(c.rgbGreen) << 8 | std::uint32_t(c.rgbRed) << 16;
}

using SourceOf = std::function<std::pair<int, int>(int x, int y, int w, int h)>;

// Checks result (x, y) == source(sourceOf(x, y)) for every result pixel, and
// that every padding byte or bit of the result is 0.
void expectMapped(const ZvImage &src, const ZvImage &out, const SourceOf &sourceOf)
{
    const int w = int(src.GetWidth()), h = int(src.GetHeight());
    for (int y = 0; y < int(out.GetHeight()); ++y) {
        for (int x = 0; x < int(out.GetWidth()); ++x) {
            const auto [sx, sy] = sourceOf(x, y, w, h);
            ASSERT_EQ(pixel(out, x, y), pixel(src, sx, sy)) << "result " << x << "," << y;
        }
    }
    const std::size_t usedBits = std::size_t(out.GetWidth()) * out.GetBpp();
    for (std::uint32_t y = 0; y < out.GetHeight(); ++y) {
        const std::uint8_t *row = out.GetBits(y);
        for (std::size_t bit = usedBits; bit < out.GetEffWidth() * 8; ++bit)
            ASSERT_EQ((row[bit / 8] >> (7 - bit % 8)) & 1, 0) << "padding bit " << bit << " of row " << y;
    }
}

const SourceOf kLeft = [](int i, int j, int, int h) { return std::pair{j, h - 1 - i}; };
const SourceOf kRight = [](int j, int i, int w, int) { return std::pair{w - 1 - i, j}; };
const SourceOf kHalf = [](int x, int y, int w, int h) { return std::pair{w - 1 - x, h - 1 - y}; };

ZvImage turned(const ZvImage &src, bool (ZvImage::*turn)(ZvImage *))
{
    ZvImage copy(src, true);
    EXPECT_TRUE((copy.*turn)(nullptr));
    return copy;
}

} // namespace

TEST(Rotate, ThreeByTwoTurnsIntoTwoByThree)
{
    const ZvImage image = makeNoise(3, 2, 24, 1);
    const ZvImage left = turned(image, &ZvImage::RotateLeft);
    ASSERT_EQ(left.GetWidth(), 2u);
    ASSERT_EQ(left.GetHeight(), 3u);
    // Counter-clockwise as displayed (rows bottom-up): the bottom-left pixel
    // goes to the bottom-right corner, the top-left one to the bottom-left.
    EXPECT_EQ(pixel(left, 1, 0), pixel(image, 0, 0));
    EXPECT_EQ(pixel(left, 0, 0), pixel(image, 0, 1));
    expectMapped(image, left, kLeft);
    const ZvImage right = turned(image, &ZvImage::RotateRight);
    ASSERT_EQ(right.GetWidth(), 2u);
    EXPECT_EQ(pixel(right, 0, 0), pixel(image, 2, 0));
    expectMapped(image, right, kRight);
    expectMapped(image, turned(image, &ZvImage::Rotate180), kHalf);
}

TEST(Rotate, EveryDepthMapsEveryPixelAndClearsPadding)
{
    // 130 x 67 crosses the tile edges of the blocked paths; 9 wide leaves
    // padding bits in 1- and 4-bit rows.
    for (int bpp : {24, 8, 4, 1}) {
        for (auto [w, h] : {std::pair{130, 67}, std::pair{9, 5}, std::pair{1, 1}}) {
            const ZvImage image = makeNoise(w, h, bpp, std::uint32_t(bpp + w));
            SCOPED_TRACE(testing::Message() << bpp << " bpp " << w << "x" << h);
            expectMapped(image, turned(image, &ZvImage::RotateLeft), kLeft);
            expectMapped(image, turned(image, &ZvImage::RotateRight), kRight);
            expectMapped(image, turned(image, &ZvImage::Rotate180), kHalf);
        }
    }
}

TEST(Rotate, TurnsThatAddUpToNothingGiveBackThePicture)
{
    for (int bpp : {24, 8, 4, 1}) {
        const ZvImage image = makeNoise(9, 6, bpp, 2);
        ZvImage work(image, true);
        for (int n = 0; n < 4; ++n)
            ASSERT_TRUE(work.RotateLeft());
        ZvImage lr(image, true);
        lr.RotateLeft();
        lr.RotateRight();
        ZvImage hh(image, true);
        hh.Rotate180();
        hh.Rotate180();
        for (const ZvImage *back : {&work, &lr, &hh}) {
            ASSERT_EQ(back->GetWidth(), 9u);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 9; ++x)
                    ASSERT_EQ(pixel(*back, x, y), pixel(image, x, y)) << bpp;
        }
    }
}

TEST(Rotate, OneBitWidthNineKeepsEveryPixelWhateverTheSourcePadding)
{
    ZvImage image = makeNoise(9, 4, 1, 3);
    // Stray bits in the source padding must not leak into the result.
    for (std::uint32_t y = 0; y < 4; ++y)
        image.GetBits(y)[1] |= 0x7F;
    for (const auto &[turn, map] :
         {std::pair{&ZvImage::RotateLeft, kLeft}, std::pair{&ZvImage::RotateRight, kRight}}) {
        const ZvImage out = turned(image, turn);
        ASSERT_EQ(out.GetWidth(), 4u);
        ASSERT_EQ(out.GetHeight(), 9u);
        expectMapped(image, out, map);
    }
}

TEST(Rotate, IndicesAreCopiedNotMatchedAgainstThePalette)
{
    ZvImage image = makeNoise(5, 3, 8, 4);
    image.SetPaletteColor(7, image.GetPaletteColor(2));
    image.SetPixelIndex(1, 1, 7);
    const ZvImage out = turned(image, &ZvImage::RotateLeft);
    EXPECT_EQ(out.GetPixelIndex(1, 1), 7);
    EXPECT_EQ(std::memcmp(out.GetPalette(), image.GetPalette(), 256 * 4), 0);
}

TEST(Rotate, AlphaFollowsThePixels)
{
    ZvImage image = makeNoise(7, 4, 24, 5);
    image.AlphaCreate();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            image.AlphaSet(x, y, std::uint8_t(x * 30 + y));
    const struct
    {
        bool (ZvImage::*turn)(ZvImage *);
        SourceOf map;
    } cases[] = {
        {&ZvImage::RotateLeft, kLeft}, {&ZvImage::RotateRight, kRight}, {&ZvImage::Rotate180, kHalf}};
    for (const auto &c : cases) {
        const ZvImage out = turned(image, c.turn);
        ASSERT_TRUE(out.AlphaIsValid());
        for (int y = 0; y < int(out.GetHeight()); ++y) {
            for (int x = 0; x < int(out.GetWidth()); ++x) {
                const auto [sx, sy] = c.map(x, y, 7, 4);
                ASSERT_EQ(out.AlphaGet(x, y), image.AlphaGet(sx, sy));
            }
        }
    }
}

TEST(Rotate, DestinationReceivesTheResultAndTheSourceStays)
{
    ZvImage image = makeNoise(6, 3, 24, 6);
    image.Create(6, 3, 24, ZV_TYPE_PNG);
    image.SetXDPI(200);
    const std::vector<std::uint8_t> before = allBytes(image);
    ZvImage dst;
    ASSERT_TRUE(image.RotateRight(&dst));
    EXPECT_EQ(allBytes(image), before);
    EXPECT_EQ(dst.GetWidth(), 3u);
    EXPECT_EQ(dst.GetType(), std::uint32_t(ZV_TYPE_PNG));
    EXPECT_EQ(dst.GetXDPI(), 200);
}

TEST(Rotate, EmptyPictureIsRefusedAndZeroSizedOneIsHarmless)
{
    ZvImage empty;
    EXPECT_FALSE(empty.RotateLeft());
    EXPECT_FALSE(empty.RotateRight());
    EXPECT_FALSE(empty.Rotate180());
    // Zero-sized but valid: the turn has nothing to move and must not read anything.
    ZvImage zeroWide(0u, 3u, 24u);
    zeroWide.AlphaCreate();
    EXPECT_TRUE(zeroWide.RotateLeft());
    EXPECT_EQ(zeroWide.GetWidth(), 3u);
    EXPECT_EQ(zeroWide.GetHeight(), 0u);
    EXPECT_TRUE(zeroWide.Rotate180());
}

// A 1-bit row of 1.1e9 pixels fits (137 MB), but standing up every pixel
// needs a padded 4-byte row, beyond what an image can hold: the turn must
// fail and leave the picture as it was.
TEST(Rotate, ResultThatCannotBeAllocatedLeavesThePictureAlone)
{
    ZvImage image;
    ASSERT_NE(image.Create(1100000000u, 1, 1), nullptr);
    image.GetBits(0)[0] = 0xA5;
    EXPECT_FALSE(image.RotateLeft());
    EXPECT_STREQ(image.GetLastError(), "ZvImage::Create size limit exceeded");
    EXPECT_FALSE(image.RotateRight());
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 1100000000u);
    EXPECT_EQ(image.GetHeight(), 1u);
    EXPECT_EQ(image.GetBits(0)[0], 0xA5);
}
