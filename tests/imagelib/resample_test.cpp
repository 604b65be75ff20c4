// tests/imagelib/resample_test.cpp
#include "imagelib/core/image.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Pixel bytes row by row without the padding, bottom row first.
std::vector<std::uint8_t> pixelBytes(const ZvImage &image)
{
    const std::size_t used = (std::size_t(image.GetWidth()) * image.GetBpp() + 7) / 8;
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        bytes.insert(bytes.end(), image.GetBits(y), image.GetBits(y) + used);
    return bytes;
}

bool paddingIsZero(const ZvImage &image)
{
    const std::size_t used = (std::size_t(image.GetWidth()) * image.GetBpp() + 7) / 8;
    for (std::uint32_t y = 0; y < image.GetHeight(); ++y)
        for (std::size_t k = used; k < image.GetEffWidth(); ++k)
            if (image.GetBits(y)[k] != 0)
                return false;
    return true;
}

// A blank result like the one Resample builds, for the references to fill.
ZvImage blankLike(const ZvImage &src, int width, int height)
{
    ZvImage image(std::uint32_t(width), std::uint32_t(height), src.GetBpp());
    image.SetPalette(src.GetPalette(), 256);
    std::memset(image.GetBits(0), 0, image.GetEffWidth() * image.GetHeight());
    return image;
}

// The area-averaging loop written out plainly, one component at a time, in
// 64-bit accumulators. Each column and row end is (k + 1) * scale - 1 formed
// afresh rather than summed, so that float drift cannot starve the last
// column or row. Quotients above 255 are clamped as in the library.
std::vector<std::uint8_t> referenceAreaAverage(const ZvImage &src, int nw, int nh)
{
    const int w = int(src.GetWidth()), h = int(src.GetHeight());
    const float xScale = float(w) / float(nw), yScale = float(h) / float(nh);
    std::vector<std::int64_t> accu(std::size_t(3 * nw + 3)), carry(std::size_t(3 * nw + 3));
    const std::int64_t scale = std::int64_t(yScale * xScale * 1000);
    std::vector<std::uint8_t> out(std::size_t(nw) * nh * 3);
    std::size_t dst = 0;
    auto put = [&](std::int64_t a) { out.at(dst++) = std::uint8_t(std::min<std::int64_t>(255, a / scale)); };
    int v = 0;
    float endY = yScale - 1;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *s = src.GetBits(std::uint32_t(y));
        int i = 0, u = 0;
        float endX = xScale - 1;
        auto nextEndX = [&] { endX = float(u + 1) * xScale - 1; };
        if (y < endY) {
            for (int x = 0; x < w; ++x) {
                if (x < endX) {
                    for (int j = 0; j < 3; ++j)
                        accu[i + j] += 1000 * s[j];
                    s += 3;
                } else {
                    const int wX = int((x - endX) * 1000);
                    for (int j = 0; j < 3; ++j, ++i, ++s) {
                        accu[i] += (1000 - wX) * *s;
                        accu[i + 3] += wX * *s;
                    }
                    ++u;
                    nextEndX();
                }
            }
            continue;
        }
        const int wY = int((y - endY) * 1000);
        for (int x = 0; x < w; ++x) {
            if (x < endX) {
                for (int j = 0; j < 3; ++j) {
                    accu[i + j] += (1000 - wY) * s[j];
                    carry[i + j] += wY * s[j];
                }
                s += 3;
            } else {
                const int wX = int((x - endX) * 1000);
                for (int j = 0; j < 3; ++j, ++i, ++s) {
                    accu[i] += ((1000 - wY) * (1000 - wX)) * *s / 1000;
                    put(accu[i]);
                    carry[i] += (wY * (1000 - wX) * *s) / 1000;
                    accu[i + 3] += ((1000 - wY) * wX * *s) / 1000;
                    carry[i + 3] = (wY * wX * *s) / 1000;
                }
                ++u;
                nextEndX();
            }
        }
        if (u < nw)
            for (int j = 0; j < 3; ++j)
                put(accu[i + j]);
        std::swap(accu, carry);
        carry[0] = carry[1] = carry[2] = 0;
        dst = std::size_t(v + 1) * nw * 3;
        ++v;
        endY = float(v + 1) * yScale - 1;
    }
    if (v < nh)
        for (int k = 0; k < 3 * nw; ++k)
            put(accu[k]);
    return out;
}

std::uint8_t lowByte(float v)
{
    return std::uint8_t(int(v));
}

ZvImage referenceBilinear(ZvImage &src, int nw, int nh)
{
    ZvImage out = blankLike(src, nw, nh);
    const float xScale = float(src.GetWidth()) / float(nw), yScale = float(src.GetHeight()) / float(nh);
    const int xMax = int(src.GetWidth()) - 1, yMax = int(src.GetHeight()) - 1;
    for (int y = 0; y < nh; ++y) {
        const float fy = y * yScale;
        const int iy = int(fy), iy1 = std::min(yMax, iy + 1);
        const float dy = fy - iy;
        for (int x = 0; x < nw; ++x) {
            const float fx = x * xScale;
            const int ix = int(fx), ix1 = std::min(xMax, ix + 1);
            const float dx = fx - ix;
            const RGBQUAD c1 = src.GetPixelColor(ix, iy), c2 = src.GetPixelColor(ix1, iy);
            const RGBQUAD c3 = src.GetPixelColor(ix, iy1), c4 = src.GetPixelColor(ix1, iy1);
            auto mix = [&](std::uint8_t RGBQUAD::*k) {
                return lowByte((1 - dx) * ((1 - dy) * (c1.*k) + dy * (c3.*k)) +
                               dx * ((1 - dy) * (c2.*k) + dy * (c4.*k)));
            };
            out.SetPixelColor(
                x, y, RGBQUAD{mix(&RGBQUAD::rgbBlue), mix(&RGBQUAD::rgbGreen), mix(&RGBQUAD::rgbRed), 0});
        }
    }
    return out;
}

float b3spline(float t)
{
    const float p2 = t + 2 > 0 ? t + 2 : 0, p1 = t + 1 > 0 ? t + 1 : 0;
    const float p0 = t > 0 ? t : 0, pm = t - 1 > 0 ? t - 1 : 0;
    return 0.16666667f * (p2 * p2 * p2 - 4 * (p1 * p1 * p1) + 6 * (p0 * p0 * p0) - 4 * (pm * pm * pm));
}

ZvImage referenceBicubic(ZvImage &src, int nw, int nh)
{
    ZvImage out = blankLike(src, nw, nh);
    const float xScale = float(src.GetWidth()) / float(nw), yScale = float(src.GetHeight()) / float(nh);
    const int w = int(src.GetWidth()), h = int(src.GetHeight());
    for (int y = 0; y < nh; ++y) {
        const float fy = y * yScale - 0.5f;
        const int iy = int(std::floor(fy));
        const float a = fy - std::floor(fy);
        for (int x = 0; x < nw; ++x) {
            const float fx = x * xScale - 0.5f;
            const int ix = int(std::floor(fx));
            const float b = fx - std::floor(fx);
            float rr = 0, gg = 0, bb = 0;
            for (int m = -1; m <= 2; ++m) {
                for (int n = -1; n <= 2; ++n) {
                    const float wgt = b3spline(m - a) * b3spline(b - n);
                    const RGBQUAD c =
                        src.GetPixelColor(std::clamp(ix + n, 0, w - 1), std::clamp(iy + m, 0, h - 1));
                    rr += wgt * c.rgbRed;
                    gg += wgt * c.rgbGreen;
                    bb += wgt * c.rgbBlue;
                }
            }
            out.SetPixelColor(x, y, RGBQUAD{lowByte(bb), lowByte(gg), lowByte(rr), 0});
        }
    }
    return out;
}

ZvImage resampled(const ZvImage &src, int nw, int nh, int mode)
{
    ZvImage copy(src, true);
    EXPECT_TRUE(copy.Resample(nw, nh, mode)) << nw << "x" << nh << " mode " << mode;
    return copy;
}

} // namespace

TEST(Resample, SameSizeLeavesThePictureAndCopiesIntoADestination)
{
    ZvImage image = makeNoise(5, 4, 24, 1);
    image.AlphaCreate();
    image.AlphaSet(1, 1, 7);
    const std::vector<std::uint8_t> before = pixelBytes(image);
    for (int mode = 0; mode < 3; ++mode) {
        EXPECT_TRUE(image.Resample(5, 4, mode));
        EXPECT_EQ(pixelBytes(image), before);
        ZvImage dst;
        EXPECT_TRUE(image.Resample(5, 4, mode, &dst));
        EXPECT_EQ(pixelBytes(dst), before);
        EXPECT_EQ(dst.AlphaGet(1, 1), 7);
    }
}

TEST(Resample, RefusesEmptyPicturesZeroNegativeAndAbsurdSizes)
{
    ZvImage empty;
    EXPECT_FALSE(empty.Resample(2, 2, 0));
    ZvImage zeroWide(0u, 3u, 24u);
    ASSERT_TRUE(zeroWide.IsValid());
    EXPECT_FALSE(zeroWide.Resample(2, 2, 1));

    ZvImage image = makeNoise(6, 5, 24, 2);
    const std::vector<std::uint8_t> before = pixelBytes(image);
    EXPECT_FALSE(image.Resample(0, 3, 0));
    EXPECT_FALSE(image.Resample(3, 0, 1));
    for (auto [w, h] : {std::pair{-5, 10}, std::pair{10, -1}, std::pair{100000, 100000}}) {
        image.SetLastError("");
        EXPECT_FALSE(image.Resample(w, h, 0)) << w << "x" << h;
        EXPECT_STREQ(image.GetLastError(), "ZvImage::Create size limit exceeded");
        ASSERT_EQ(image.GetWidth(), 6u);
        EXPECT_EQ(pixelBytes(image), before);
    }
    EXPECT_FALSE(image.Resample(3, 3, 7));
    EXPECT_EQ(pixelBytes(image), before);
}

TEST(Resample, AreaAveragingMeansEachBlock)
{
    const ZvImage image = makeNoise(4, 4, 24, 3);
    const ZvImage small = resampled(image, 2, 2, 0);
    ASSERT_EQ(small.GetWidth(), 2u);
    ASSERT_EQ(small.GetHeight(), 2u);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += image.GetBits(std::uint32_t(2 * y + dy))[(2 * x + dx) * 3 + k];
                EXPECT_EQ(small.GetBits(std::uint32_t(y))[x * 3 + k], sum / 4) << x << "," << y << " " << k;
            }
        }
    }
}

TEST(Resample, AreaAveragingMatchesAPlainLoopAtAwkwardScales)
{
    const struct
    {
        int w, h, nw, nh;
    } cases[] = {{7, 5, 3, 2},
                 {13, 11, 4, 7},
                 {101, 80, 33, 27},
                 {10, 10, 9, 9},
                 {640, 9, 7, 1},
                 {9, 300, 1, 299},
                 // Scales where summing the column width would drift.
                 {8000, 3, 7003, 2},
                 {4000, 30, 2400, 18},
                 {5, 3000, 2, 2249}};
    for (const auto &c : cases) {
        const ZvImage image = makeNoise(c.w, c.h, 24, std::uint32_t(c.w * c.h));
        const ZvImage small = resampled(image, c.nw, c.nh, 0);
        EXPECT_EQ(pixelBytes(small), referenceAreaAverage(image, c.nw, c.nh)) << c.w << "x" << c.h;
        EXPECT_TRUE(paddingIsZero(small));
    }
}

// Summed in single precision, the column and row ends drift by up to half
// a pixel: the last column or row then gathered too little (a dark edge, 239
// instead of 255 at 4000 to 2400) or a split ran past the last column and
// wrote beyond the row.
TEST(Resample, AreaAveragingKeepsAWhitePictureWhiteToItsEdges)
{
    for (auto [w, nw] : {std::pair{16000, 15001}, std::pair{16000, 13001}, std::pair{100000, 99997},
                         std::pair{8000, 7003}, std::pair{4000, 2400}, std::pair{4000, 3001}}) {
        for (bool wide : {true, false}) {
            ZvImage white(std::uint32_t(wide ? w : 3), std::uint32_t(wide ? 3 : w), 24);
            std::fill(white.GetBits(0), white.GetBits(0) + white.GetSize() - 40, 0xFF);
            const ZvImage small = resampled(white, wide ? nw : 2, wide ? 2 : nw, 0);
            const std::vector<std::uint8_t> bytes = pixelBytes(small);
            // Truncated weights cost a few levels where nearly every pixel is split.
            EXPECT_GE(*std::min_element(bytes.begin(), bytes.end()), 250) << w << " to " << nw << wide;
        }
    }
}

TEST(Resample, ModeZeroIsBilinearWhenEnlargingShrinkingOneSideOrIndexed)
{
    ZvImage image = makeNoise(4, 4, 24, 4);
    for (auto [w, h] : {std::pair{8, 8}, std::pair{2, 8}, std::pair{8, 2}, std::pair{4, 3}, std::pair{11, 5}})
        EXPECT_EQ(pixelBytes(resampled(image, w, h, 0)), pixelBytes(referenceBilinear(image, w, h)))
            << w << "x" << h;
    for (int bpp : {8, 4, 1}) {
        ZvImage indexed = makeNoise(9, 7, bpp, 5);
        EXPECT_EQ(pixelBytes(resampled(indexed, 4, 3, 0)), pixelBytes(referenceBilinear(indexed, 4, 3)))
            << bpp;
    }
}

TEST(Resample, NearestPixelTakesTheFlooredSourcePosition)
{
    const ZvImage image = makeNoise(4, 4, 24, 6);
    const ZvImage small = resampled(image, 2, 2, 1);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}})
        EXPECT_EQ(small.GetPixelColor(x, y), image.GetPixelColor(2 * x, 2 * y));

    const ZvImage large = resampled(image, 7, 9, 1);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(large.GetPixelColor(x, y),
                      image.GetPixelColor(int(x * (4.0f / 7)), int(y * (4.0f / 9))));
}

TEST(Resample, BicubicMatchesTheKernelAndKeepsUniformColour)
{
    ZvImage image = makeNoise(9, 6, 24, 7);
    for (auto [w, h] : {std::pair{4, 3}, std::pair{20, 13}, std::pair{9, 2}})
        EXPECT_EQ(pixelBytes(resampled(image, w, h, 2)), pixelBytes(referenceBicubic(image, w, h)))
            << w << "x" << h;

    ZvImage flat(10, 7, 24);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            flat.SetPixelColor(x, y, RGBQUAD{50, 100, 200, 0});
    for (auto [w, h] : {std::pair{23, 4}, std::pair{4, 3}}) {
        const ZvImage out = resampled(flat, w, h, 2);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const RGBQUAD c = out.GetPixelColor(x, y);
                EXPECT_NEAR(c.rgbBlue, 50, 1);
                EXPECT_NEAR(c.rgbGreen, 100, 1);
                EXPECT_NEAR(c.rgbRed, 200, 1);
            }
        }
    }
}

TEST(Resample, IndexedPicturesKeepTheirDepthAndPalette)
{
    for (int bpp : {8, 4, 1}) {
        ZvImage image = makeNoise(9, 7, bpp, 8);
        // A duplicate entry: results name the lowest index of the nearest colour.
        image.SetPaletteColor(1, image.GetPaletteColor(0));
        const std::vector<RGBQUAD> palette(image.GetPalette(), image.GetPalette() + image.GetNumColors());
        for (int mode = 0; mode < 3; ++mode) {
            const ZvImage out = resampled(image, 5, 11, mode);
            ASSERT_EQ(out.GetBpp(), std::uint32_t(bpp));
            EXPECT_TRUE(std::equal(palette.begin(), palette.end(), out.GetPalette()));
            EXPECT_TRUE(paddingIsZero(out)) << bpp << " mode " << mode;
        }
        EXPECT_EQ(pixelBytes(resampled(image, 5, 11, 2)), pixelBytes(referenceBicubic(image, 5, 11)));
        ZvImage nearest = blankLike(image, 5, 11);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 5; ++x)
                nearest.SetPixelColor(x, y, image.GetPixelColor(int(x * (9.0f / 5)), int(y * (7.0f / 11))));
        EXPECT_EQ(pixelBytes(resampled(image, 5, 11, 1)), pixelBytes(nearest)) << bpp;
    }
}

TEST(Resample, AlphaFollowsTheNearestSourcePixelInEveryMode)
{
    ZvImage image = makeNoise(8, 6, 24, 9);
    image.AlphaCreate();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            image.AlphaSet(x, y, std::uint8_t(x * 16 + y));
    for (int mode = 0; mode < 3; ++mode) {
        for (auto [w, h] : {std::pair{3, 4}, std::pair{13, 9}}) {
            const ZvImage out = resampled(image, w, h, mode);
            ASSERT_TRUE(out.AlphaIsValid());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    EXPECT_EQ(out.AlphaGet(x, y), image.AlphaGet(int(x * (8.0f / w)), int(y * (6.0f / h))));
        }
    }
}

TEST(Resample, ResultKeepsTheRecordAndGoesToTheDestination)
{
    ZvImage image = makeNoise(6, 6, 24, 10);
    image.Create(6, 6, 24, ZV_TYPE_JPG);
    image.SetJpegQuality(55);
    image.SetXDPI(300);
    image.SetCodecOption(3);
    ZvImage dst;
    dst.SetOrignWidth(77);
    ASSERT_TRUE(image.Resample(3, 2, 0, &dst));
    EXPECT_EQ(image.GetWidth(), 6u);
    EXPECT_EQ(dst.GetWidth(), 3u);
    EXPECT_EQ(dst.GetType(), std::uint32_t(ZV_TYPE_JPG));
    EXPECT_EQ(dst.GetJpegQuality(), 55);
    EXPECT_EQ(dst.GetXDPI(), 300);
    EXPECT_EQ(dst.GetCodecOption(), 3u);
    EXPECT_EQ(dst.GetOrignWidth(), 77u);
    // The header's resolution is a fresh picture's until the caller sets it.
    EXPECT_EQ(dst.GetHeader().biXPelsPerMeter, 3780);
}

TEST(Resample, EscapeStopsEarlyButStillHandsOverAClearedResult)
{
    ZvImage image = makeNoise(40, 30, 24, 11);
    image.SetEscape(1);
    for (int mode = 0; mode < 3; ++mode) {
        ZvImage dst;
        EXPECT_TRUE(image.Resample(10, 10, mode, &dst));
        ASSERT_EQ(dst.GetWidth(), 10u);
        for (std::uint8_t b : pixelBytes(dst))
            ASSERT_EQ(b, 0) << mode;
    }
}
