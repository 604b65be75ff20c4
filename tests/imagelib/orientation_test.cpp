// tests/imagelib/orientation_test.cpp
#include "imagelib/codecs/orientation.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

namespace {

// Where a stored pixel is seen, by the EXIF table: which visual side the
// stored top row and the stored left column end up on.
enum Side { Top, Bottom, Left, Right };
struct Sides
{
    Side row0, column0;
};
const Sides kExif[9] = {{},          {Top, Left},  {Top, Right},    {Bottom, Right}, {Bottom, Left},
                        {Left, Top}, {Right, Top}, {Right, Bottom}, {Left, Bottom}};

// The visual corner (x, y from the top left) of the stored top-left pixel.
void cornerOf(int orientation, int w, int h, int &x, int &y)
{
    const Sides s = kExif[orientation];
    x = (s.row0 == Right || s.column0 == Right) ? w - 1 : 0;
    y = (s.row0 == Bottom || s.column0 == Bottom) ? h - 1 : 0;
}

} // namespace

// All eight orientations move the stored top-left pixel (and its alpha) to
// the corner the EXIF table names, and swap the sides from 5 on.
TEST(Orientation, EveryExifValueLandsTheCornerWhereTheTableSays)
{
    for (int o = 1; o <= 8; ++o) {
        ZvImage image = makePattern24(5, 3);
        image.AlphaCreate();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                image.AlphaSet(x, y, 200);
        image.SetPixelColor(0, 2, RGBQUAD{1, 2, 3, 0}); // stored top-left (rows count from the bottom)
        image.AlphaSet(0, 2, 7);
        ASSERT_TRUE(zvOrientUpright(image, o));
        const int w = o >= 5 ? 3 : 5, h = o >= 5 ? 5 : 3;
        ASSERT_EQ(int(image.GetWidth()), w) << o;
        ASSERT_EQ(int(image.GetHeight()), h) << o;
        int x = 0, y = 0;
        cornerOf(o, w, h, x, y);
        EXPECT_EQ(image.GetPixelColor(x, h - 1 - y, false), (RGBQUAD{1, 2, 3, 0})) << o;
        EXPECT_EQ(image.AlphaGet(x, h - 1 - y), 7) << o;
    }
}
