// tests/caption/caption_render_test.cpp
// Captions stamped into pictures and painted on the preview, read back pixel by pixel.
#include "caption/caption_geometry.h"
#include "caption/caption_render.h"
#include "caption/draw_text.h"
#include "tests/caption/test_page.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstring>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Colour of pixel (x, y) counted from the top, as COLORREF.
COLORREF at(const ZvImage &img, int x, int y)
{
    const RGBQUAD c = img.GetPixelColor(x, int(img.GetHeight()) - 1 - y, false);
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

COLORREF at(const Rgb8 &img, int x, int y)
{
    const std::uint8_t *p = &img.rgb[(std::size_t(y) * img.width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

CaptionSettings caption(const QString &text, COLORREF back, COLORREF textColor)
{
    CaptionSettings c;
    c.text = text;
    c.backColor = back;
    c.textColor = textColor;
    c.font.lfWeight = 700;
    return c;
}

// Every pixel outside box equals the same pixel of before; counts the pixels
// inside box that have the colour wanted.
int checkOutsideAndCount(const ZvImage &after, const Rgb8 &before, const RECT &box, COLORREF wanted)
{
    int count = 0;
    for (int y = 0; y < before.height; ++y) {
        for (int x = 0; x < before.width; ++x) {
            const bool inside = PtInRect(box, POINT{x, y});
            if (!inside && at(after, x, y) != at(before, x, y)) {
                ADD_FAILURE() << "pixel changed outside the box at " << x << "," << y;
                return -1;
            }
            if (inside && at(after, x, y) == wanted)
                ++count;
        }
    }
    return count;
}

TEST(CaptionRender, BackgroundFillsTheBoxAndTextLandsInsideIt)
{
    ZvImage picture = makePattern24(200, 100);
    const Rgb8 before = toRgb(picture);
    const RECT box{20, 30, 140, 70};
    ASSERT_TRUE(DrawCaptionOnPicture(picture, box, caption("HHHH", kRed, kBlue)));
    EXPECT_EQ(checkOutsideAndCount(picture, before, box, kRed) > 0, true);
    EXPECT_GT(checkOutsideAndCount(picture, before, box, kBlue), 20); // solid stems of the H's
    EXPECT_EQ(at(picture, 20, 30), kRed);
    EXPECT_EQ(at(picture, 139, 69), kRed);
    EXPECT_EQ(at(picture, 140, 70), at(before, 140, 70));
    // Every pixel of the box is background, text, or a blend of the two.
    for (int y = 30; y < 70; ++y)
        for (int x = 20; x < 140; ++x)
            ASSERT_EQ(GetGValue(at(picture, x, y)), 0) << x << "," << y;
}

TEST(CaptionRender, TransparentBoxLeavesThePictureBehindTheText)
{
    ZvImage picture = makePattern24(200, 100);
    const Rgb8 before = toRgb(picture);
    const RECT box{10, 10, 190, 60};
    ASSERT_TRUE(DrawCaptionOnPicture(picture, box, caption("Ij", kNoBackColor, RGB(1, 2, 3))));
    EXPECT_GT(checkOutsideAndCount(picture, before, box, RGB(1, 2, 3)), 10);
    int unchanged = 0;
    for (int y = 10; y < 60; ++y)
        for (int x = 10; x < 190; ++x)
            unchanged += at(picture, x, y) == at(before, x, y);
    EXPECT_GT(unchanged, 180 * 50 * 9 / 10); // the text covers only a little of the box
}

TEST(CaptionRender, BlackIsABackgroundNotNone)
{
    ZvImage picture = makePattern24(64, 64);
    ASSERT_TRUE(DrawCaptionOnPicture(picture, RECT{0, 0, 10, 10}, caption("", 0, kBlue)));
    EXPECT_EQ(at(picture, 0, 0), 0u);
    EXPECT_EQ(at(picture, 9, 9), 0u);
}

TEST(CaptionRender, BoxPartlyOutsideIsClippedAndWhollyOutsideIsNothing)
{
    ZvImage picture = makePattern24(50, 40);
    const Rgb8 before = toRgb(picture);
    ASSERT_TRUE(DrawCaptionOnPicture(picture, RECT{-30, -20, 10, 5}, caption("", kRed, kBlue)));
    EXPECT_EQ(checkOutsideAndCount(picture, before, RECT{0, 0, 10, 5}, kRed), 50);
    ZvImage texted = makePattern24(50, 40);
    ASSERT_TRUE(
        DrawCaptionOnPicture(texted, RECT{-30, -20, 10, 5}, caption("Clipped text", kNoBackColor, kBlue)));
    EXPECT_GE(checkOutsideAndCount(texted, before, RECT{0, 0, 10, 5}, kBlue), 0);

    ZvImage other = makePattern24(50, 40);
    for (const RECT &box : {RECT{40, 30, 90, 80}, RECT{60, 0, 100, 40}, RECT{0, -40, 50, 0},
                            RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}})
        ASSERT_TRUE(DrawCaptionOnPicture(other, box, caption("Wide text\nmore", kBlue, kRed)));
    EXPECT_EQ(at(other, 0, 0), kBlue); // the huge box covers everything
    EXPECT_EQ(at(other, 49, 39), kBlue);
}

TEST(CaptionRender, InvertedBoxIsDrawnAsItsNormalisedRectangle)
{
    ZvImage a = makePattern24(120, 60);
    ZvImage b = makePattern24(120, 60);
    ASSERT_TRUE(DrawCaptionOnPicture(a, RECT{100, 50, 10, 5}, caption("Ab", kRed, kBlue)));
    ASSERT_TRUE(DrawCaptionOnPicture(b, RECT{10, 5, 100, 50}, caption("Ab", kRed, kBlue)));
    EXPECT_EQ(toRgb(a), toRgb(b));
}

TEST(CaptionRender, IndexedPicturesComeBackTrueColourWithTheirColours)
{
    for (int bpp : {1, 4, 8}) {
        ZvImage picture = makePatternIndexed(37, 23, bpp);
        picture.SetTransIndex(0);
        picture.SetXDPI(300);
        const Rgb8 before = toRgb(picture);
        ASSERT_TRUE(DrawCaptionOnPicture(picture, RECT{0, 0, 0, 0}, caption("x", kRed, kBlue))) << bpp;
        EXPECT_EQ(picture.GetBpp(), 24u);
        EXPECT_FALSE(picture.IsIndexed());
        EXPECT_EQ(picture.GetTransIndex(), -1);
        EXPECT_EQ(picture.GetXDPI(), 300);
        EXPECT_EQ(toRgb(picture), before) << bpp;
    }
}

std::uint8_t alphaAt(const ZvImage &img, int x, int y)
{
    return img.AlphaGet(x, int(img.GetHeight()) - 1 - y);
}

// Transparency survives the caption as an alpha plane: what was clear stays
// clear, the box and the text are opaque, also where the text has the old
// transparent colour.
TEST(CaptionRender, TransparencyIsKeptAndTheCaptionIsOpaque)
{
    ZvImage indexed = makePatternIndexed(40, 30, 8);
    indexed.SetTransIndex(indexed.GetPixelIndex(3, 30 - 1 - 2));
    ZvImage keyed = makePattern24(40, 30);
    keyed.SetTransColor(keyed.GetPixelColor(3, 30 - 1 - 2, false));
    keyed.SetTransIndex(0);
    for (ZvImage *picture : {&indexed, &keyed}) {
        const RGBQUAD key = picture->GetTransColor();
        const COLORREF keyColour = RGB(key.rgbRed, key.rgbGreen, key.rgbBlue);
        const Rgb8 before = toRgb(*picture);
        ASSERT_TRUE(DrawCaptionOnPicture(*picture, RECT{20, 0, 40, 12}, caption("", keyColour, 0)));
        ASSERT_TRUE(picture->AlphaIsValid());
        EXPECT_EQ(picture->GetTransIndex(), -1);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                const bool inBox = x >= 20 && y < 12;
                const bool clear = !inBox && at(before, x, y) == keyColour;
                ASSERT_EQ(alphaAt(*picture, x, y), clear ? 0 : 255) << x << "," << y;
                ASSERT_EQ(at(*picture, x, y), inBox ? keyColour : at(before, x, y)) << x << "," << y;
            }
        }
    }
    // Text laid over clear pixels: its pixels become visible in its colour,
    // the clear pixels it does not reach keep their hidden colour.
    ZvImage clear = makePattern24(60, 30);
    ASSERT_TRUE(clear.AlphaCreate());
    std::memset(clear.AlphaGetPointer(), 0, 60 * 30);
    const Rgb8 before = toRgb(clear);
    ASSERT_TRUE(DrawCaptionOnPicture(clear, RECT{0, 0, 60, 30}, caption("II", kNoBackColor, kRed)));
    int opaqueRed = 0, untouched = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            const std::uint8_t a = alphaAt(clear, x, y);
            const COLORREF c = at(clear, x, y);
            if (a == 255 && c == kRed)
                ++opaqueRed;
            else if (a == 0 && c == at(before, x, y))
                ++untouched;
            // Edge pixels are partly clear but still the text's colour.
            if (a > 0) {
                ASSERT_TRUE(GetRValue(c) >= 250 && GetGValue(c) <= 3 && GetBValue(c) <= 3) << x << "," << y;
            }
        }
    }
    EXPECT_GT(opaqueRed, 20);
    EXPECT_GT(untouched, 60 * 30 - 200);
}

TEST(CaptionRender, PictureWithoutPixelsOrGhostIsRefused)
{
    ZvImage empty;
    EXPECT_FALSE(DrawCaptionOnPicture(empty, RECT{0, 0, 10, 10}, CaptionSettings()));
    EXPECT_STRNE(empty.GetLastError(), "");
    const ZvImage source = makePattern24(10, 10);
    ZvImage ghost;
    ghost.Ghost(&source);
    EXPECT_FALSE(DrawCaptionOnPicture(ghost, RECT{0, 0, 10, 10}, caption("", kRed, 0)));
    EXPECT_NE(at(source, 0, 0), kRed);
}

struct SizeCase
{
    int width, height;
};

class StampOnSizes : public ::testing::TestWithParam<SizeCase>
{
};

// 10 pixels from the right and bottom edges on every size, also on a picture
// whose sides a quarter turn has swapped.
TEST_P(StampOnSizes, BottomRightBoxKeepsItsDistance)
{
    const SizeCase c = GetParam();
    ZvImage picture(std::uint32_t(c.width), std::uint32_t(c.height), 24);
    ASSERT_TRUE(picture.IsValid());
    std::memset(picture.GetBits(0), 0xFF, picture.GetHeader().biSizeImage);
    CaptionSettings settings = caption("", kRed, 0);
    settings.anchor = CaptionAnchor::BottomRight;
    settings.offsets = {110, 30, 10, 10};
    ASSERT_TRUE(StampCaption(picture, settings));
    const int w = c.width, h = c.height;
    EXPECT_EQ(at(picture, w - 11, h - 11), kRed);
    EXPECT_EQ(at(picture, w - 110, h - 30), kRed);
    EXPECT_EQ(at(picture, w - 10, h - 10), RGB(255, 255, 255));
    EXPECT_EQ(at(picture, w - 111, h - 31), RGB(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Caption, StampOnSizes,
                         ::testing::Values(SizeCase{640, 480}, SizeCase{3000, 2000}, SizeCase{480, 640},
                                           SizeCase{120, 35}));

TEST(CaptionRender, TurnedPictureIsMeasuredAtItsTurnedSize)
{
    ZvImage picture(640, 480, 24);
    ASSERT_TRUE(picture.IsValid());
    std::memset(picture.GetBits(0), 0xFF, picture.GetHeader().biSizeImage);
    ASSERT_TRUE(picture.RotateRight());
    ASSERT_EQ(picture.GetWidth(), 480u);
    CaptionSettings settings = caption("", kRed, 0);
    settings.anchor = CaptionAnchor::BottomRight;
    settings.offsets = {310, 50, 10, 10};
    ASSERT_TRUE(StampCaption(picture, settings));
    EXPECT_EQ(at(picture, 469, 629), kRed); // box (170, 590, 470, 630)
    EXPECT_EQ(at(picture, 170, 590), kRed);
    EXPECT_EQ(at(picture, 169, 590), RGB(255, 255, 255));
    EXPECT_EQ(at(picture, 470, 629), RGB(255, 255, 255));
}

// The preview paints exactly what the export writes when shown at scale 1.
TEST(CaptionRender, PreviewAtScaleOneMatchesTheExport)
{
    ZvImage picture = makePattern24(240, 120);
    TestPage page;
    page.ShowPicture(RECT{0, 0, 240, 120});
    CDrawText box(RECT{}, nullptr);
    box.SetCaption(caption("Same\r\npixels", kNoBackColor, kBlue));
    box.SetAnchor(CaptionAnchor::TopRight);
    box.SetOffsets({200, 15, 20, 100});
    box.SetAlign(CaptionAlign::Right);

    QImage preview(240, 120, QImage::Format_RGB32);
    QPainter painter(&preview);
    ASSERT_EQ(picture.Stretch(painter, 0, 0, 240, 120), 1);
    box.PaintCaption(painter, page.view);
    painter.end();
    EXPECT_EQ(box.GetPosition(), (RECT{40, 15, 220, 100}));

    ASSERT_TRUE(StampCaption(picture, box.GetCaption()));
    int blue = 0;
    for (int y = 15; y < 100; ++y)
        for (int x = 40; x < 220; ++x)
            blue += at(picture, x, y) == kBlue;
    EXPECT_GT(blue, 20);
    int differing = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x) {
            const QRgb p = preview.pixel(x, y);
            differing += RGB(qRed(p), qGreen(p), qBlue(p)) != at(picture, x, y);
        }
    EXPECT_EQ(differing, 0);
}

TEST(CaptionRender, PreviewScalesTheBoxAndFillsIt)
{
    TestPage page;
    page.ShowPicture(RECT{10, 20, 170, 140}, 0.25f);
    CDrawText box(RECT{}, nullptr);
    box.SetCaption(caption("Hi", kRed, kBlue));
    box.SetAnchor(CaptionAnchor::BottomLeft);
    box.SetOffsets({40, 200, 240, 40});
    QImage preview(200, 160, QImage::Format_RGB32);
    preview.fill(Qt::white);
    QPainter painter(&preview);
    box.PaintCaption(painter, page.view);
    painter.end();
    EXPECT_EQ(box.GetPosition(), (RECT{20, 90, 70, 130}));
    EXPECT_EQ(preview.pixel(20, 90), qRgb(255, 0, 0));
    EXPECT_EQ(preview.pixel(69, 129), qRgb(255, 0, 0));
    EXPECT_EQ(preview.pixel(70, 130), qRgb(255, 255, 255));
    EXPECT_EQ(preview.pixel(19, 89), qRgb(255, 255, 255));
}

} // namespace
