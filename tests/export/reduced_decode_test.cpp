// tests/export/reduced_decode_test.cpp
// JPEGs decoded at a reduced scale: the caption keeps its place and size
// relative to the picture, and the output matches a full decode closely.
#include "caption/caption_render.h"
#include "caption/reduced_stamp.h"
#include "export/export_run.h"
#include "imagelib/codecs/jpeg/jpeg_scale.h"
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
            picture.SetPixelColor(x, y,
                                  RGB(std::uint8_t(x * 255 / w), std::uint8_t(100 + y * 155 / h),
                                      std::uint8_t(block ? 40 : 200)));
        }
    }
    return picture;
}

bool reddish(COLORREF c)
{
    return GetRValue(c) > 200 && GetGValue(c) < 70 && GetBValue(c) < 70;
}

} // namespace

TEST(ReducedDecode, ScaleIsTheLargestThatStillCoversTheTarget)
{
    EXPECT_EQ(chooseJpegScale(4000, 3000, 800, 600), 4);
    EXPECT_EQ(chooseJpegScale(4000, 3000, 500, 375), 8);
    EXPECT_EQ(chooseJpegScale(4000, 3000, 1001, 600), 2);
    EXPECT_EQ(chooseJpegScale(4000, 3000, 2001, 1500), 1);
    EXPECT_EQ(chooseJpegScale(4001, 3001, 501, 376), 8); // libjpeg rounds the sides up
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
}

// Through the export, turned every way: the box keeps its place on the
// turned picture whether the JPEG was decoded in full or reduced.
TEST(ReducedDecode, TheCaptionLandsAsOnAFullDecodeAtEveryTurn)
{
    const std::string src = freshFolder("reduced-src");
    ASSERT_TRUE(scene(1600, 1200).Save((src + "/big.jpg").c_str(), ZV_TYPE_JPG));
    CaptionSettings caption;
    caption.text = "Zelventa";
    caption.textColor = RGB(255, 255, 255);
    caption.backColor = kRed;
    caption.anchor = CaptionAnchor::BottomRight;
    caption.offsets = {400, 120, 40, 40}; // 360 x 80, 40 in from the bottom-right corner

    for (const int rotation : {0, -90, 180}) {
        const bool sideways = rotation == -90;
        const int fullW = sideways ? 1200 : 1600, fullH = sideways ? 1600 : 1200;
        const double s = 300.0 / fullH;
        const int left = int(std::ceil((fullW - 400) * s)), right = int((fullW - 40) * s);
        const int bottom = int((fullH - 40) * s);
        Rgb8 results[2];
        for (bool reduced : {false, true}) {
            const std::string out = freshFolder(reduced ? "reduced-out" : "full-out");
            ExportJob job;
            job.rows = {{"big.jpg", src + "/big.jpg", rotation}};
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
            ASSERT_EQ(int(result.GetWidth()), fullW * 300 / fullH) << rotation;
            ASSERT_EQ(result.GetHeight(), 300u);
            // The text-free lower part of the box, its edges, and just outside.
            for (int x = left + 2; x < right - 1; ++x) {
                EXPECT_TRUE(reddish(colourAt(result, x, bottom - 3))) << rotation << reduced << " x " << x;
                EXPECT_FALSE(reddish(colourAt(result, x, bottom + 2))) << rotation << reduced << " x " << x;
            }
            for (int y = bottom - 8; y < bottom - 1; ++y) {
                EXPECT_FALSE(reddish(colourAt(result, left - 3, y))) << rotation << reduced << " y " << y;
                EXPECT_FALSE(reddish(colourAt(result, right + 2, y))) << rotation << reduced << " y " << y;
            }
            results[reduced] = toRgb(result);
        }
        EXPECT_NE(results[0], results[1]) << rotation; // the scaled decode did take place
        EXPECT_LT(meanDifference(results[0], results[1]), 1.5) << rotation;
    }

    // Without a resize nothing is decoded reduced.
    const std::string out = freshFolder("reduced-none");
    ExportJob job;
    job.rows = {{"big.jpg", src + "/big.jpg", 90}};
    job.options.OutputFolder = out;
    job.options.Format = 3;
    ScriptObserver obs;
    ASSERT_EQ(RunExport(job, obs).saved, 1);
    ZvImage result;
    ASSERT_TRUE(result.Load((out + "/big.BMP").c_str(), ZV_TYPE_BMP));
    EXPECT_EQ(result.GetWidth(), 1200u);
    EXPECT_EQ(result.GetHeight(), 1600u);
}

// On a picture of one colour the blown-up patch is exactly the full
// picture, so the reduced stamp must equal the full stamp averaged down,
// block by block, wherever the box edges fall.
TEST(ReducedDecode, TheReducedStampIsTheFullStampAveragedDown)
{
    constexpr COLORREF kGrey = RGB(120, 130, 140);
    const struct
    {
        int d;
        CaptionOffsets offsets;
        std::int32_t anchor;
        COLORREF back;
        const char *text;
    } cases[] = {
        {2, {13, 7, 101, 33}, CaptionAnchor::TopLeft, kRed, ""},            // odd edges
        {4, {30, 21, 33, 26}, CaptionAnchor::TopLeft, kRed, ""},            // narrower than a block
        {8, {61, 45, 3, 2}, CaptionAnchor::BottomRight, kRed, ""},          // at the far corner
        {4, {-10, -6, 22, 13}, CaptionAnchor::TopLeft, RGB(0, 0, 255), ""}, // partly outside
        {8, {5, 9, 150, 70}, CaptionAnchor::TopLeft, kNoBackColor, "Hi"},
        {2, {150, 60, 9, 5}, CaptionAnchor::BottomRight, RGB(0, 200, 0), "Hi"},
    };
    for (const auto &c : cases) {
        CaptionSettings caption;
        caption.offsets = c.offsets;
        caption.anchor = c.anchor;
        caption.backColor = c.back;
        caption.text = c.text;
        caption.textColor = RGB(255, 255, 255);
        ZvImage full = solidPicture(160, 120, kGrey);
        ASSERT_TRUE(StampCaption(full, caption));
        ZvImage reduced = solidPicture(160 / c.d, 120 / c.d, kGrey);
        ASSERT_TRUE(stampCaptionReduced(reduced, caption, 160, 120, c.d));
        const Rgb8 f = toRgb(full), r = toRgb(reduced);
        const int cells = c.d * c.d;
        for (int y = 0; y < r.height; ++y) {
            for (int x = 0; x < r.width; ++x) {
                for (int k = 0; k < 3; ++k) {
                    int sum = 0;
                    for (int dy = 0; dy < c.d; ++dy)
                        for (int dx = 0; dx < c.d; ++dx)
                            sum +=
                                f.rgb[(std::size_t(y * c.d + dy) * 160 + std::size_t(x * c.d + dx)) * 3 + k];
                    ASSERT_EQ(r.rgb[(std::size_t(y) * r.width + x) * 3 + k], (sum + cells / 2) / cells)
                        << "d " << c.d << " offsets " << c.offsets.left << " at " << x << "," << y;
                }
            }
        }
    }
}
