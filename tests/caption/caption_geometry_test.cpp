// tests/caption/caption_geometry_test.cpp
#include "caption/caption_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A 300 x 40 box at (100, 40) in a 640 x 480 picture, and its offsets from
// each corner.
constexpr RECT kBox{100, 40, 400, 80};
constexpr RECT kPicture{0, 0, 640, 480};

struct AnchorCase
{
    std::int32_t anchor;
    CaptionOffsets offsets;
};

class AnchorTable : public ::testing::TestWithParam<AnchorCase>
{
};

TEST_P(AnchorTable, OffsetsFromEachCornerAndBack)
{
    const AnchorCase c = GetParam();
    EXPECT_EQ(OffsetsFromPreview(kBox, c.anchor, kPicture, 1.0f), c.offsets);
    EXPECT_EQ(CaptionBoxInPicture(c.offsets, c.anchor, 640, 480), kBox);
    EXPECT_EQ(PreviewBox(c.offsets, c.anchor, kPicture, 1.0f), kBox);
}

INSTANTIATE_TEST_SUITE_P(Caption, AnchorTable,
                         ::testing::Values(AnchorCase{CaptionAnchor::TopLeft, {100, 40, 400, 80}},
                                           AnchorCase{CaptionAnchor::TopRight, {540, 40, 240, 80}},
                                           AnchorCase{CaptionAnchor::BottomLeft, {100, 440, 400, 400}},
                                           AnchorCase{CaptionAnchor::BottomRight, {540, 440, 240, 400}}));

TEST(CaptionGeometry, BottomRightBoxKeepsItsDistanceOnEverySize)
{
    const CaptionOffsets o{310, 50, 10, 10};
    EXPECT_EQ(CaptionBoxInPicture(o, CaptionAnchor::BottomRight, 640, 480), (RECT{330, 430, 630, 470}));
    EXPECT_EQ(CaptionBoxInPicture(o, CaptionAnchor::BottomRight, 3000, 2000), (RECT{2690, 1950, 2990, 1990}));
    // A quarter turn swaps the sides the box is measured from.
    EXPECT_EQ(CaptionBoxInPicture(o, CaptionAnchor::BottomRight, 480, 640), (RECT{170, 590, 470, 630}));
}

TEST(CaptionGeometry, ExportTruncatesWhilePreviewRounds)
{
    const CaptionOffsets o{12.9f, 7.5f, 112.4f, 47.5f};
    EXPECT_EQ(CaptionBoxInPicture(o, CaptionAnchor::TopLeft, 640, 480), (RECT{12, 7, 112, 47}));
    EXPECT_EQ(PreviewBox(o, CaptionAnchor::TopLeft, kPicture, 1.0f), (RECT{13, 8, 112, 48}));
    // From a right corner the truncated offset is subtracted: 640 - 12.
    EXPECT_EQ(CaptionBoxInPicture(o, CaptionAnchor::TopRight, 640, 480).left, 628);
    // Scaled: 0.5 * 25 = 12.5, plus 0.5, truncated: 13 from the shown rectangle.
    EXPECT_EQ(PreviewBox({25, 25, 25, 25}, CaptionAnchor::TopLeft, RECT{1, 1, 321, 241}, 0.5f).left, 14);
}

TEST(CaptionGeometry, PreviewOffsetsAreDividedByTheScale)
{
    // A picture shown at a quarter of its size from (5, 7).
    const RECT shown{5, 7, 165, 127};
    const RECT box{15, 17, 90, 27};
    const CaptionOffsets o = OffsetsFromPreview(box, CaptionAnchor::TopLeft, shown, 0.25f);
    EXPECT_EQ(o, (CaptionOffsets{40, 40, 340, 80}));
    EXPECT_EQ(PreviewBox(o, CaptionAnchor::TopLeft, shown, 0.25f), box);
    // Without a picture the offsets count from the preview area whatever the anchor.
    EXPECT_EQ(OffsetsFromPreviewArea(box, RECT{10, 10, 510, 410}, 1.0f), (CaptionOffsets{5, 7, 80, 17}));
}

TEST(CaptionGeometry, RoundTripSurvivesAwkwardScales)
{
    const RECT shown{1, 75, 499, 324};
    for (float s : {0.249f, 0.1f, 0.333f, 1.0f, 2.5f}) {
        for (std::int32_t anchor = 0; anchor < 4; ++anchor) {
            const RECT box{37, 91, 301, 130};
            const CaptionOffsets o = OffsetsFromPreview(box, anchor, shown, s);
            EXPECT_EQ(PreviewBox(o, anchor, shown, s), box) << "scale " << s << " anchor " << anchor;
        }
    }
}

TEST(CaptionGeometry, UnknownAnchorCountsFromTopLeft)
{
    const CaptionOffsets o{1, 2, 3, 4};
    EXPECT_EQ(CaptionBoxInPicture(o, 7, 100, 100), CaptionBoxInPicture(o, CaptionAnchor::TopLeft, 100, 100));
    EXPECT_EQ(PreviewBox(o, -1, RECT{0, 0, 10, 10}, 1), (RECT{1, 2, 3, 4}));
}

TEST(CaptionGeometry, HostileOffsetsSaturateInsteadOfWrapping)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const RECT r = CaptionBoxInPicture({1e30f, -inf, nan, 3e9f}, CaptionAnchor::BottomRight, 640, 480);
    EXPECT_EQ(r.left, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(r.top, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(r.right, 640);
    EXPECT_EQ(r.bottom, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(PreviewBox({1e30f, 0, 0, 0}, 0, kPicture, 1e10f).left,
              std::numeric_limits<std::int32_t>::max());
    // A broken scale does not turn offsets into infinities.
    const CaptionOffsets o = OffsetsFromPreview(kBox, 0, kPicture, 0.0f);
    EXPECT_TRUE(std::isfinite(o.left));
    EXPECT_EQ(o, OffsetsFromPreview(kBox, 0, kPicture, 1.0f));
}

TEST(CaptionGeometry, PreviewFontScalesHeightTowardZero)
{
    const LOGFONT lf = DefaultCaptionFont();
    const LOGFONT quarter = PreviewFont(lf, 0.25f);
    EXPECT_EQ(quarter.lfHeight, -6); // -6.5 truncated toward zero
    EXPECT_EQ(quarter.lfQuality, 1);
    EXPECT_EQ(quarter.lfOutPrecision, 7);
    EXPECT_EQ(quarter.lfPitchAndFamily, 1);
    EXPECT_STREQ(quarter.lfFaceName, "Arial");
    LOGFONT cell = lf;
    cell.lfHeight = 27;
    EXPECT_EQ(PreviewFont(cell, 0.5f).lfHeight, 13);
    EXPECT_EQ(PreviewFont(lf, 1.0f).lfHeight, -26);
    // A tiny font stays tiny instead of jumping to the default size.
    cell.lfHeight = -2;
    EXPECT_EQ(PreviewFont(cell, 0.25f).lfHeight, -1);
}

struct FitCase
{
    std::int64_t w, h;
    RECT expected;
};

class FitTable : public ::testing::TestWithParam<FitCase>
{
};

// The preview area (0, 0, 500, 400) shrunk by one pixel on each side.
TEST_P(FitTable, CentresAndShrinksOnlyWhatDoesNotFit)
{
    const FitCase c = GetParam();
    EXPECT_EQ(FitPictureRect(c.w, c.h, RECT{1, 1, 499, 399}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Caption, FitTable,
                         ::testing::Values(FitCase{200, 100, {150, 150, 350, 250}}, // own size, centred
                                           FitCase{2000, 1000, {1, 75, 499, 324}},  // wide: 498 wide
                                           FitCase{1000, 2000, {150, 1, 349, 399}}, // tall: 398 high
                                           FitCase{498, 100, {1, 150, 499, 250}},   // exactly as wide
                                           FitCase{0, 100, {1, 1, 1, 1}}));         // no pixels

TEST(CaptionGeometry, FitTakesAnInvertedBoundByItsSmallerEdges)
{
    EXPECT_EQ(FitPictureRect(200, 100, RECT{499, 399, 1, 1}), (RECT{150, 150, 350, 250}));
    const RECT wide = FitPictureRect(2000, 1000, RECT{1, 1, 499, 399});
    EXPECT_FLOAT_EQ(float(wide.right - wide.left) / 2000.0f, 0.249f);
}

TEST(CaptionGeometry, RectHelpersFollowTheWindowsRules)
{
    const RECT r{10, 10, 20, 20};
    EXPECT_TRUE(PtInRect(r, POINT{10, 10}));
    EXPECT_FALSE(PtInRect(r, POINT{20, 15}));
    EXPECT_FALSE(PtInRect(RECT{20, 20, 10, 10}, POINT{15, 15})); // inverted holds nothing
    EXPECT_EQ(NormalizeRect(RECT{20, 5, 10, 1}), (RECT{10, 1, 20, 5}));
    EXPECT_EQ(IntersectRect(RECT{-50, -50, 30, 30}, RECT{0, 0, 640, 480}), (RECT{0, 0, 30, 30}));
    EXPECT_TRUE(IsRectEmpty(IntersectRect(RECT{700, 0, 800, 40}, RECT{0, 0, 640, 480})));
}

} // namespace
