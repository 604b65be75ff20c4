// tests/export/reduced_decode_test.cpp
// JPEGs decoded at a reduced scale: the caption keeps its place and size
// relative to the picture, and the output matches a full decode closely.
#include "export/export_run.h"
#include "caption/reduced_stamp.h"
#include "export/reduced_decode.h"
#include "tests/export/export_test_support.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// A smooth camera-like scene: gradients and a few hard-edged blocks, never red.
ZvImage scene(int w, int h)
{
    ZvImage picture(std::uint32_t(w), std::uint32_t(h), 24, ZV_TYPE_JPG);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool block = (x / 200 + y / 150) % 3 == 0;
            picture.SetPixelColor(x, y, RGB(std::uint8_t(x * 255 / w), std::uint8_t(100 + y * 155 / h),
                                            std::uint8_t(block ? 40 : 200)));
        }
    }
    return picture;
}

bool reddish(COLORREF c)
{
    return GetRValue(c) > 200 && GetGValue(c) < 70 && GetBValue(c) < 70;
}

double meanDifference(const Rgb8 &a, const Rgb8 &b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / double(a.rgb.size());
}

} // namespace

TEST(ReducedDecode, ScaleIsTheLargestThatStillCoversTheTarget)
{
    EXPECT_EQ(chooseJpegScale(4000, 3000, 800, 600), 4);
    EXPECT_EQ(chooseJpegScale(4000, 3000, 500, 375), 8);
    EXPECT_EQ(chooseJpegScale(4000, 3000, 1001, 600), 2);
    EXPECT_EQ(chooseJpegScale(4000, 3000, 2001, 1500), 1);
    EXPECT_EQ(chooseJpegScale(4001, 3001, 501, 376), 8);   // libjpeg rounds the sides up
    EXPECT_EQ(chooseJpegScale(640, 480, 800, 600), 1);
}

TEST(ReducedDecode, PixelsTheCaptionDoesNotTouchComeBackExactly)
{
    ZvImage picture = makePattern24(100, 75);
    const Rgb8 before = toRgb(picture);
    CaptionSettings none;
    none.text.clear();
    none.anchor = CaptionAnchor::BottomRight;
    none.offsets = {200, 100, 20, 20};
    ASSERT_TRUE(stampCaptionReduced(picture, none, 400, 300, 4));
    EXPECT_EQ(toRgb(picture), before);

    // A filled box: whole blocks take its colour, blocks it covers in part a blend.
    CaptionSettings box = none;
    box.backColor = RGB(0, 0, 255);
    box.offsets = {202, 100, 20, 20};   // left edge at 198: half way into block 49
    ASSERT_TRUE(stampCaptionReduced(picture, box, 400, 300, 4));
    EXPECT_EQ(colourAt(picture, 60, 60), RGB(0, 0, 255));
    EXPECT_EQ(colourAt(picture, 75, 69), RGB(0, 0, 255));
    EXPECT_EQ(colourAt(picture, 48, 60), colourAt(makePattern24(100, 75), 48, 60));
    EXPECT_NE(colourAt(picture, 49, 60), colourAt(makePattern24(100, 75), 49, 60));
    EXPECT_NE(colourAt(picture, 49, 60), RGB(0, 0, 255));
    EXPECT_EQ(colourAt(picture, 60, 70), colourAt(makePattern24(100, 75), 60, 70));
}

TEST(ReducedDecode, TheCaptionLandsAsOnAFullDecode)
{
    const std::string src = freshFolder("reduced-src");
    ASSERT_TRUE(scene(1600, 1200).Save((src + "/big.jpg").c_str(), ZV_TYPE_JPG));
    CaptionSettings caption;
    caption.text = "Zelventa";
    caption.textColor = RGB(255, 255, 255);
    caption.backColor = kRed;
    caption.anchor = CaptionAnchor::BottomRight;
    caption.offsets = {400, 120, 40, 40};   // full size: x 1200..1560, y 1080..1160

    Rgb8 results[2];
    for (bool reduced : {false, true}) {
        const std::string out = freshFolder(reduced ? "reduced-out" : "full-out");
        ExportJob job;
        job.rows = {{"big.jpg", src + "/big.jpg", "0"}};
        job.options.OutputFolder = out;
        job.options.Format = 3;
        job.options.ResizeImage = true;
        job.options.AspectRatio = true;
        job.options.ResizeHeight = "300";
        job.caption = caption;
        job.reducedJpegDecode = reduced;
        ScriptObserver obs;
        ASSERT_EQ(RunExport(job, obs).saved, 1);
        ZvImage result;
        ASSERT_TRUE(result.Load((out + "/big.BMP").c_str(), ZV_TYPE_BMP));
        ASSERT_EQ(result.GetWidth(), 400u);
        ASSERT_EQ(result.GetHeight(), 300u);
        // The text-free lower part of the box, its edges, and just outside.
        for (int x = 302; x < 389; ++x) {
            EXPECT_TRUE(reddish(colourAt(result, x, 286))) << reduced << " x " << x;
            EXPECT_FALSE(reddish(colourAt(result, x, 292))) << reduced << " x " << x;
        }
        for (int y = 272; y < 289; ++y) {
            EXPECT_FALSE(reddish(colourAt(result, 297, y))) << reduced << " y " << y;
            EXPECT_FALSE(reddish(colourAt(result, 392, y))) << reduced << " y " << y;
        }
        results[reduced] = toRgb(result);
    }
    EXPECT_NE(results[0], results[1]);   // the scaled decode did take place
    EXPECT_LT(meanDifference(results[0], results[1]), 1.5);
}
