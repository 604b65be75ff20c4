// tests/caption/preview_picture_test.cpp
#include "caption/preview_colour.h"
#include "caption/preview_picture.h"
#include "tests/caption/picture_files.h"
#include "tests/support/corpora.h"
#include "tests/support/dng_builder.h"
#include "tests/support/pictures.h"
#include "tests/support/test_profiles.h"

#include <gtest/gtest.h>

// The preview page shows a camera's embedded preview (red here, while the
// developed picture is grey) when it covers the area, and still reports
// the developed picture's size, so the caption lands where the export puts it.
TEST(PreviewPicture, CameraRawShowsItsPreviewWithTheWholeSize)
{
    const DngSpec spec = redPreviewDng();
    const std::string path = scratchDir() + "/camera.dng";
    writeFile(path, makeDng(spec));

    const PreviewPicture shown = LoadPreviewPicture(QString::fromStdString(path), 90, QSize(96, 128));
    ASSERT_TRUE(shown.IsValid()) << shown.error.toStdString();
    EXPECT_EQ(shown.fullSize, QSize(256, 192));
    EXPECT_EQ(shown.image.size(), QSize(128, 96));
    EXPECT_EQ(qRed(shown.image.pixel(5, 5)), 250);
    EXPECT_EQ(qGreen(shown.image.pixel(5, 5)), 10);
    EXPECT_TRUE(shown.IsReduced());

    const PreviewPicture large = LoadPreviewPicture(QString::fromStdString(path), 0, QSize(200, 150));
    ASSERT_TRUE(large.IsValid());
    EXPECT_EQ(large.fullSize, QSize(256, 192));
    EXPECT_GT(qGreen(large.image.pixel(5, 5)), 60); // developed grey: the preview is too small
}

namespace {

const Rgb kP3Red = {200, 60, 60};
const Rgb kP3RedInSrgb = {217, 41, 51}; // as a colour-managed converter gives it

void expectColour(QRgb got, const Rgb &want, int tolerance, const char *what)
{
    EXPECT_NEAR(qRed(got), want[0], tolerance) << what;
    EXPECT_NEAR(qGreen(got), want[1], tolerance) << what;
    EXPECT_NEAR(qBlue(got), want[2], tolerance) << what;
}

} // namespace

// The conversion of pixels already on their way to the screen: colours of
// opaque and of half-transparent pixels, the alpha kept, and nothing at all
// done for pictures that need nothing.
TEST(PreviewColour, ConvertsOpaqueAndPremultipliedPixels)
{
    const ZvColourSpacePtr p3 = zvColourFromIcc(testProfile(TestSpace::DisplayP3));
    QImage opaque(8, 4, QImage::Format_RGB32);
    opaque.fill(qRgb(kP3Red[0], kP3Red[1], kP3Red[2]));
    ASSERT_TRUE(ConvertShownToSrgb(opaque, p3));
    EXPECT_EQ(opaque.format(), QImage::Format_RGB32);
    expectColour(opaque.pixel(6, 3), kP3RedInSrgb, 2, "opaque");

    QImage clear(4, 4, QImage::Format_ARGB32);
    clear.fill(qRgba(kP3Red[0], kP3Red[1], kP3Red[2], 128));
    clear.setPixel(3, 0, qRgba(0, 0, 0, 0));
    clear = clear.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_TRUE(ConvertShownToSrgb(clear, p3));
    EXPECT_EQ(clear.format(), QImage::Format_ARGB32_Premultiplied);
    const QImage straight = clear.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(straight.pixel(1, 2)), 128);
    EXPECT_EQ(qAlpha(straight.pixel(3, 0)), 0);
    expectColour(straight.pixel(1, 2), kP3RedInSrgb, 3, "half-transparent");

    for (const ZvColourSpacePtr &none : {ZvColourSpacePtr(), zvColourSrgb()}) {
        QImage same(4, 4, QImage::Format_RGB32);
        same.fill(qRgb(kP3Red[0], kP3Red[1], kP3Red[2]));
        const uchar *bits = same.constBits();
        ASSERT_TRUE(ConvertShownToSrgb(same, none));
        EXPECT_EQ(same.constBits(), bits); // not even a copy
        EXPECT_EQ(same.pixel(2, 2), qRgb(kP3Red[0], kP3Red[1], kP3Red[2]));
    }
}

// The preview (and the viewer, which shows what it loads) of a phone's
// Display P3 picture, reduced or not, opaque or with transparency, shows
// its colours in sRGB; an undescribed picture shows its numbers as ever.
TEST(PreviewPicture, ColoursAreShownInSrgb)
{
    PictureFiles files;
    const std::vector<std::uint8_t> p3 = testProfile(TestSpace::DisplayP3);
    const struct
    {
        const char *name;
        bool described, clear;
        QSize need;
        int tolerance;
    } cases[] = {
        {"p3.png", true, false, QSize(100, 75), 2}, // scaled down, then converted
        {"p3.jpg", true, false, QSize(50, 40), 2},  // decoded at 1/8
        {"p3-clear.png", true, true, QSize(100, 75), 2},     {"plain.png", false, false, QSize(100, 75), 0},
        {"plain-clear.png", false, true, QSize(100, 75), 0},
    };
    for (const auto &c : cases) {
        const QString path = files.WriteColour(QString::fromLatin1(c.name), 400, 300, kP3Red,
                                               c.described ? p3 : std::vector<std::uint8_t>(), c.clear);
        const PreviewPicture shown = LoadPreviewPicture(path, 0, c.need);
        ASSERT_TRUE(shown.IsValid()) << c.name << ": " << shown.error.toStdString();
        EXPECT_EQ(shown.fullSize, QSize(400, 300)) << c.name;
        const QImage straight = shown.image.convertToFormat(QImage::Format_ARGB32);
        const QRgb centre = straight.pixel(straight.width() / 2, straight.height() / 2);
        expectColour(centre, c.described ? kP3RedInSrgb : kP3Red, c.tolerance, c.name);
        EXPECT_EQ(qAlpha(centre), 255) << c.name;
        if (c.clear) {
            EXPECT_LT(qAlpha(straight.pixel(0, 0)), 255) << c.name;
        }
    }
}
