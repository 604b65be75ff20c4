// tests/imagelib/orientation_test.cpp
#include "imagelib/geometry/orientation.h"
#include "imagelib/streams/io_file.h"
#include "tests/support/corpora.h"
#include "tests/support/oriented_picture.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// The stored pixel (top-down) that the tag's definition puts at (x, y) of
// the upright picture, for a stored picture of w x h.
std::pair<int, int> storedPixel(int orientation, int x, int y, int w, int h)
{
    switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {y, h - 1 - x};
    case 7: return {w - 1 - y, h - 1 - x};
    case 8: return {w - 1 - y, x};
    default: return {x, y};
    }
}

// Alpha as a top-down array, 255 where there is none.
std::vector<int> alphaTopDown(const ZvImage &image)
{
    std::vector<int> out;
    for (int y = int(image.GetHeight()) - 1; y >= 0; --y)
        for (int x = 0; x < int(image.GetWidth()); ++x)
            out.push_back(image.AlphaIsValid() ? image.AlphaGet(x, y) : 255);
    return out;
}

ZvImage copyOf(const ZvImage &image)
{
    ZvImage out;
    out.Copy(image);
    return out;
}

} // namespace

// Odd sides catch a middle column or row left out of a mirror; each depth
// has its own mirror path, and the alpha plane must travel with the pixels.
TEST(Orientation, EveryValueMovesEachPixelWhereTheTagSays)
{
    for (const std::uint32_t bpp : {24u, 8u, 4u, 1u}) {
        const int w = 7, h = 3;
        ZvImage stored = makeNoise(w, h, int(bpp), 11 + bpp);
        if (bpp == 24) {
            ASSERT_TRUE(stored.AlphaCreate());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    stored.AlphaSet(x, y, std::uint8_t(10 * x + y));
        }
        const Rgb8 before = toRgb(stored);
        const std::vector<int> alphaBefore = alphaTopDown(stored);
        for (int o = 1; o <= 8; ++o) {
            ZvImage upright = copyOf(stored);
            upright.SetOrientation(o);
            ASSERT_TRUE(zvTurnUpright(upright, o)) << bpp << " " << o;
            EXPECT_EQ(upright.GetOrientation(), 1);
            const bool swapped = o >= 5;
            ASSERT_EQ(int(upright.GetWidth()), swapped ? h : w) << o;
            ASSERT_EQ(int(upright.GetHeight()), swapped ? w : h) << o;
            EXPECT_EQ(zvOrientationSwapsSides(o), swapped);
            const Rgb8 after = toRgb(upright);
            const std::vector<int> alphaAfter = alphaTopDown(upright);
            for (int y = 0; y < after.height; ++y) {
                for (int x = 0; x < after.width; ++x) {
                    const auto [sx, sy] = storedPixel(o, x, y, w, h);
                    const std::size_t a = std::size_t(y * after.width + x), b = std::size_t(sy * w + sx);
                    for (int c = 0; c < 3; ++c)
                        ASSERT_EQ(after.rgb[a * 3 + c], before.rgb[b * 3 + c])
                            << "bpp " << bpp << " orientation " << o << " at " << x << "," << y;
                    ASSERT_EQ(alphaAfter[a], alphaBefore[b]) << "orientation " << o;
                }
            }
        }
    }
}

TEST(Orientation, TheUsersTurnComesOnTopInOneStep)
{
    const ZvImage stored = makeNoise(5, 3, 24, 3);
    for (int o = 1; o <= 8; ++o) {
        for (const int degrees : {0, 90, -90, 180}) {
            ZvImage twoSteps = copyOf(stored);
            ASSERT_TRUE(zvTurnUpright(twoSteps, o));
            if (degrees == 90)
                twoSteps.RotateRight();
            else if (degrees == -90)
                twoSteps.RotateLeft();
            else if (degrees == 180)
                twoSteps.Rotate180();
            ZvImage oneStep = copyOf(stored);
            ASSERT_TRUE(zvTurnUpright(oneStep, zvOrientationWithTurn(o, degrees)));
            EXPECT_EQ(toRgb(oneStep), toRgb(twoSteps)) << o << " " << degrees;
        }
    }
    // No tag at all counts as upright; the user's turn alone still turns.
    EXPECT_EQ(zvOrientationWithTurn(0, 0), 1);
    EXPECT_EQ(zvOrientationWithTurn(0, 90), 6);
    EXPECT_EQ(zvOrientationWithTurn(6, -90), 1);
    EXPECT_EQ(zvOrientationWithTurn(9, 45), 1);
}

TEST(Orientation, JpegAndTiffHandOnTheirTagWithThePixelsAsStored)
{
    const std::string folder = scratchDir();
    const std::string jpeg = folder + "/orient-six.jpg";
    ASSERT_TRUE(writeOrientedJpeg(jpeg, 40, 32, 6));
    ZvImage picture;
    ASSERT_TRUE(picture.Load(jpeg.c_str(), ZV_TYPE_JPG)) << picture.GetLastError();
    EXPECT_EQ(picture.GetOrientation(), 6);
    EXPECT_EQ(picture.GetWidth(), 40u);
    EXPECT_EQ(markedCorner(toRgb(picture)), "top-left");

    ZvImage header;
    header.SetEscape(-1);
    ZvIOFile file;
    ASSERT_TRUE(file.Open(jpeg.c_str(), "rb"));
    ASSERT_TRUE(header.Decode(&file, ZV_TYPE_JPG));
    EXPECT_EQ(header.GetOrientation(), 6); // the reduced decode plans with it

    // A later picture without a tag does not inherit the earlier one's.
    const std::string plain = folder + "/orient-plain.jpg";
    ASSERT_TRUE(writeOrientedJpeg(plain, 40, 32, 0));
    ASSERT_TRUE(picture.Load(plain.c_str(), ZV_TYPE_JPG));
    EXPECT_EQ(picture.GetOrientation(), 0);
    picture.SetOrientation(6);
    ASSERT_TRUE(picture.Load(plain.c_str(), ZV_TYPE_UNKNOWN));
    EXPECT_EQ(picture.GetOrientation(), 0);

    // TIFF's own tag: our writer stores 1 (top left); the file is patched to 8.
    const std::string tiff = folder + "/orient-eight.tif";
    ZvImage marked = makeMarkedPicture(40, 32);
    ASSERT_TRUE(marked.Save(tiff.c_str(), ZV_TYPE_TIF));
    std::string bytes = readFile(tiff);
    const std::string entry("\x12\x01\x03\x00\x01\x00\x00\x00\x01\x00", 10);
    const std::size_t at = bytes.find(entry);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 8] = 8;
    writeFile(tiff, bytes);
    ASSERT_TRUE(picture.Load(tiff.c_str(), ZV_TYPE_TIF)) << picture.GetLastError();
    EXPECT_EQ(picture.GetOrientation(), 8);
    EXPECT_EQ(markedCorner(toRgb(picture)), "top-left");
}

// An ISO-BMFF picture's turn (irot, anticlockwise) and then mirror (imir)
// make the orientation whose stored pixel is the one they bring to each
// place of the upright picture.
TEST(Orientation, TransformsOfIsoFilesMapToTheirTag)
{
    const int w = 5, h = 3;
    for (int angle = 0; angle < 4; ++angle) {
        for (int mirror : {-1, 0, 1}) {
            const int o = zvOrientationOfTransforms(angle, mirror);
            const bool swaps = angle % 2 == 1;
            const int uw = swaps ? h : w, uh = swaps ? w : h;
            for (int y = 0; y < uh; ++y) {
                for (int x = 0; x < uw; ++x) {
                    // Undo the mirror, then the quarter turns one by one.
                    int px = mirror == 1 ? uw - 1 - x : x;
                    int py = mirror == 0 ? uh - 1 - y : y;
                    int cw = uw, ch = uh;
                    for (int k = 0; k < angle; ++k) {
                        // (px, py) of a picture turned anticlockwise from one ch wide.
                        const int sx = ch - 1 - py, sy = px;
                        std::swap(cw, ch);
                        px = sx, py = sy;
                    }
                    EXPECT_EQ(storedPixel(o, x, y, w, h), std::make_pair(px, py))
                        << angle << " " << mirror << " at " << x << "," << y;
                }
            }
        }
    }
}
