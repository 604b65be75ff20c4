// tests/imagelib/image_display_test.cpp
// A picture made ready for the screen: its transparency read by every rule
// the export reads it by, laid over the checkerboard, and put back as an
// opaque picture that keeps the facts of its file.
#include "imagelib/core/image.h"
#include "imagelib/core/image_display.h"
#include "platform/checkerboard.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <array>

namespace {

QRgb straight(const QImage &image, int x, int y)
{
    return qUnpremultiply(image.pixel(x, y));
}

TEST(DisplayImage, TransparencyIsReadByEachOfItsRules)
{
    // Opaque: RGB32, every colour exact, the bottom-up rows turned top row first.
    ZvImage opaque{2, 2, 24};
    opaque.SetPixelColor(1, 1, RGBQUAD{30, 20, 10, 0}); // top right
    opaque.SetPixelColor(1, 0, RGBQUAD{3, 2, 1, 0});
    const QImage plain = zvToQImage(opaque);
    EXPECT_FALSE(zvHasTransparency(opaque));
    EXPECT_EQ(plain.format(), QImage::Format_RGB32);
    EXPECT_EQ(plain.pixel(1, 0), qRgb(10, 20, 30));
    EXPECT_EQ(plain.pixel(1, 1), qRgb(1, 2, 3));

    // An alpha plane.
    const QImage half = zvToQImage(makeHalfClearRed(2, 1));
    EXPECT_EQ(half.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(straight(half, 1, 0), qRgba(255, 0, 0, 128));

    // An indexed picture: its transparent index, and the alpha its palette carries.
    ZvImage indexed{3, 1, 8};
    indexed.SetPaletteColor(0, RGBQUAD{0, 0, 200, 255});
    indexed.SetPaletteColor(1, RGBQUAD{0, 200, 0, 255});
    indexed.SetPaletteColor(2, RGBQUAD{200, 0, 0, 64});
    for (int x = 0; x < 3; ++x)
        indexed.SetPixelIndex(x, 0, std::uint8_t(x));
    indexed.SetTransIndex(1);
    QImage shown = zvToQImage(indexed);
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(shown.pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(2, 0)), 255); // palette alpha not switched on
    indexed.AlphaPaletteEnable(true);
    shown = zvToQImage(indexed);
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(shown.pixel(2, 0)), 64);
    EXPECT_TRUE(nearColour(straight(shown, 2, 0), qRgb(0, 0, 200)));

    // A 24-bit picture's transparent colour.
    ZvImage keyed{2, 1, 24};
    keyed.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 0});
    keyed.SetPixelColor(1, 0, RGBQUAD{1, 2, 4, 0});
    keyed.SetTransColor(RGBQUAD{1, 2, 3, 0});
    keyed.SetTransIndex(0);
    shown = zvToQImage(keyed);
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(shown.pixel(1, 0), qRgb(4, 2, 1));
}

TEST(DisplayImage, HalfClearPixelsBlendWithTheSquaresAndOpaqueOnesStay)
{
    const QImage over = OverCheckerboard(zvToQImage(makeHalfClearRed(20, 20)));
    EXPECT_EQ(over.format(), QImage::Format_RGB32);
    const QPoint light[] = {{0, 0}, {7, 7}, {8, 8}, {19, 19}};
    const QPoint dark[] = {{8, 0}, {15, 7}, {0, 8}, {16, 8}};
    for (const QPoint p : light)
        EXPECT_TRUE(nearColour(over.pixel(p), kHalfRedOverLight)) << p.x() << "," << p.y();
    for (const QPoint p : dark)
        EXPECT_TRUE(nearColour(over.pixel(p), kHalfRedOverDark)) << p.x() << "," << p.y();

    const QImage plain = zvToQImage(makePattern24(9, 5));
    EXPECT_EQ(OverCheckerboard(plain), plain);
}

TEST(DisplayImage, OpaquePixelsTakenBackKeepTheFileFacts)
{
    ZvImage picture = makeHalfClearRed(40, 30);
    picture.SetOrignWidth(400);
    picture.SetOrignHeight(300);
    picture.SetYDPI(150);
    QImage flat(4, 3, QImage::Format_RGB32);
    flat.fill(qRgb(9, 8, 7));
    flat.setPixel(0, 0, qRgb(1, 2, 3));
    ASSERT_TRUE(zvTakeOpaquePixels(picture, flat));
    EXPECT_EQ(picture.GetBpp(), 24u);
    EXPECT_FALSE(zvHasTransparency(picture));
    EXPECT_EQ(picture.GetWidth(), 4u);
    EXPECT_EQ(picture.GetOrignWidth(), 400u);
    EXPECT_EQ(picture.GetOrignHeight(), 300u);
    EXPECT_EQ(picture.GetYDPI(), 150);
    const RGBQUAD top = picture.GetPixelColor(0, 2);
    EXPECT_EQ((std::array{top.rgbRed, top.rgbGreen, top.rgbBlue}), (std::array<std::uint8_t, 3>{1, 2, 3}));
}

} // namespace
