// tests/imagelib/colour_convert_test.cpp
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/image.h"
#include "tests/support/test_profiles.h"

#include <gtest/gtest.h>

#include <lcms2.h>

#include <cmath>
#include <cstring>

namespace {

// One row of patches, one pixel each, in a 24-bit picture.
ZvImage patchPicture(const std::vector<Rgb> &patches)
{
    ZvImage picture(std::uint32_t(patches.size()), 2, 24);
    for (std::size_t i = 0; i < patches.size(); ++i)
        for (int y = 0; y < 2; ++y)
            picture.SetPixelColor(std::int32_t(i), y,
                                  RGBQUAD{std::uint8_t(patches[i][2]), std::uint8_t(patches[i][1]),
                                          std::uint8_t(patches[i][0]), 0});
    return picture;
}

std::vector<Rgb> pixelsOf(const ZvImage &picture, int y = 0)
{
    std::vector<Rgb> out;
    for (std::uint32_t x = 0; x < picture.GetWidth(); ++x) {
        const RGBQUAD c = picture.GetPixelColor(std::int32_t(x), y);
        out.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
    return out;
}

void expectNear(const std::vector<Rgb> &got, const std::vector<Rgb> &want, int tolerance)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[i][c], want[i][c], tolerance)
                << "patch " << i << " channel " << c << ": " << got[i][0] << "," << got[i][1] << ","
                << got[i][2] << " against " << want[i][0] << "," << want[i][1] << "," << want[i][2];
}

struct SpaceCase
{
    TestSpace space;
    const char *name;
    ZvColourSpacePtr (*described)(); // the same space stated as numbers
};

ZvColourSpacePtr displayP3Cicp()
{
    return zvColourFromCicp(12, 13, 6, true);
}
ZvColourSpacePtr rec2020Cicp()
{
    return zvColourFromCicp(9, 13, 9, true);
}

class ColourToSrgb : public ::testing::TestWithParam<SpaceCase>
{
};

// Each wide-gamut space, given as an ICC profile and as numbers, converts
// its patches as transicc does, and the outcome names the space.
TEST_P(ColourToSrgb, MatchesTransiccForProfileAndNumbers)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc is missing (scripts/deps.sh test installs liblcms2-utils)";
    const SpaceCase &param = GetParam();
    const std::vector<Rgb> want = transiccToSrgb(testProfileFile(param.space), testPatches());
    ASSERT_FALSE(want.empty());

    ZvImage fromIcc = patchPicture(testPatches());
    fromIcc.SetColourSpace(zvColourFromIcc(testProfile(param.space)));
    const ZvColourOutcome icc = zvConvertToSrgb(fromIcc);
    EXPECT_EQ(icc.from, param.name);
    EXPECT_TRUE(icc.note.empty()) << icc.note;
    expectNear(pixelsOf(fromIcc), want, 1);
    expectNear(pixelsOf(fromIcc, 1), want, 1);
    ASSERT_NE(fromIcc.GetColourSpace(), nullptr);
    EXPECT_EQ(fromIcc.GetColourSpace()->kind, ZvColourKind::Srgb);

    ZvImage fromNumbers = patchPicture(testPatches());
    fromNumbers.SetColourSpace(param.described());
    const ZvColourOutcome numbers = zvConvertToSrgb(fromNumbers);
    EXPECT_TRUE(numbers.Converted());
    expectNear(pixelsOf(fromNumbers), want, 1);
}

INSTANTIATE_TEST_SUITE_P(Spaces, ColourToSrgb,
                         ::testing::Values(SpaceCase{TestSpace::DisplayP3, "Display P3", displayP3Cicp},
                                           SpaceCase{TestSpace::AdobeRgb, "Adobe RGB (1998)",
                                                     zvColourAdobeRgb},
                                           SpaceCase{TestSpace::Rec2020, "Rec. 2020", rec2020Cicp}));

TEST(ColourToSrgb, ThePhonesPatchesComeOutAsAManagedConverterWritesThem)
{
    ZvImage picture = patchPicture({{200, 60, 60}, {60, 180, 60}, {230, 200, 50}, {255, 128, 0}});
    picture.SetColourSpace(zvColourFromIcc(testProfile(TestSpace::DisplayP3)));
    zvConvertToSrgb(picture);
    expectNear(pixelsOf(picture), {{217, 41, 51}, {0, 182, 28}, {236, 198, 0}, {255, 117, 0}}, 2);
}

// Undescribed pictures, stated sRGB and an sRGB profile of another maker's
// are left as they are, byte for byte.
TEST(ColourToSrgb, SrgbAndUndescribedPicturesKeepTheirBytes)
{
    std::vector<ZvColourSpacePtr> descriptions = {nullptr,
                                                  zvColourSrgb(),
                                                  zvColourFromIcc(zvSrgbIccProfile()),
                                                  zvColourFromCicp(1, 13, 6, true),
                                                  zvColourFromCicp(2, 2, 2, true),
                                                  zvColourFromPngGamma(45455, nullptr)};
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        ZvImage picture = patchPicture(testPatches());
        const std::vector<Rgb> before = pixelsOf(picture);
        picture.SetColourSpace(descriptions[i]);
        EXPECT_FALSE(zvColourNeedsConversion(descriptions[i].get())) << i;
        const ZvColourOutcome outcome = zvConvertToSrgb(picture);
        EXPECT_FALSE(outcome.Converted()) << i;
        EXPECT_TRUE(outcome.note.empty()) << i;
        EXPECT_EQ(pixelsOf(picture), before) << i;
    }
}

TEST(ColourToSrgb, PalettePicturesConvertTheirPalette)
{
    ZvImage picture(4, 1, 8);
    RGBQUAD palette[256] = {};
    palette[0] = RGBQUAD{60, 60, 200, 0}; // blue, green, red: P3 200,60,60
    palette[1] = RGBQUAD{255, 255, 255, 0};
    picture.SetPalette(palette, 256);
    picture.SetPixelIndex(0, 0, 0);
    picture.SetColourSpace(zvColourFromIcc(testProfile(TestSpace::DisplayP3)));
    EXPECT_TRUE(zvConvertToSrgb(picture).Converted());
    const RGBQUAD red = picture.GetPaletteColor(0);
    EXPECT_NEAR(red.rgbRed, 217, 2);
    EXPECT_NEAR(red.rgbGreen, 41, 2);
    EXPECT_NEAR(red.rgbBlue, 51, 2);
    EXPECT_EQ(picture.GetPaletteColor(1), (RGBQUAD{255, 255, 255, 0}));
}

// A grey profile in linear light: a grey picture's middle grey is brighter
// in sRGB, and each channel follows the same curve.
TEST(ColourToSrgb, GreyProfilesMapEveryChannelThroughTheirCurve)
{
    cmsToneCurve *linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE grey = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsFreeToneCurve(linear);
    const std::vector<std::uint8_t> bytes = takeProfileBytes(grey);

    ZvImage picture = patchPicture({{128, 128, 128}, {0, 0, 0}, {255, 255, 255}, {64, 128, 32}});
    picture.SetColourSpace(zvColourFromIcc(bytes));
    EXPECT_TRUE(zvConvertToSrgb(picture).Converted());
    // sRGB's curve at linear 128/255: 1.055 * 0.502^(1/2.4) - 0.055 = 0.7372.
    expectNear(pixelsOf(picture), {{188, 188, 188}, {0, 0, 0}, {255, 255, 255}, {137, 188, 99}}, 1);
}

// Profiles that cannot be used leave the pixels alone, with a note saying so.
TEST(ColourToSrgb, DamagedAndForeignProfilesAreIgnoredWithANote)
{
    std::vector<std::uint8_t> damaged = testProfile(TestSpace::DisplayP3);
    damaged.resize(damaged.size() / 2);
    std::vector<std::uint8_t> garbage(600, 0x5A);
    const std::vector<std::uint8_t> labBytes = takeProfileBytes(cmsCreateLab4Profile(nullptr));
    ZvColourSpace badGamma = *zvColourAdobeRgb();
    badGamma.gamma = 0;
    ZvColourSpace badPrimaries = *zvColourAdobeRgb();
    badPrimaries.primaries.ry = 0;

    const std::vector<std::pair<ZvColourSpacePtr, const char *>> cases = {
        {zvColourFromIcc(damaged), "damaged"},
        {zvColourFromIcc(garbage), "damaged"},
        {zvColourFromIcc(labBytes), "Lab"},
        {std::make_shared<ZvColourSpace>(badGamma), "gamma"},
        {std::make_shared<ZvColourSpace>(badPrimaries), "chromaticities"},
    };
    for (const auto &[colour, why] : cases) {
        ZvImage picture = patchPicture(testPatches());
        const std::vector<Rgb> before = pixelsOf(picture);
        picture.SetColourSpace(colour);
        const ZvColourOutcome outcome = zvConvertToSrgb(picture);
        EXPECT_FALSE(outcome.Converted()) << why;
        EXPECT_NE(outcome.note.find(why), std::string::npos) << outcome.note;
        EXPECT_EQ(pixelsOf(picture), before) << why;
        EXPECT_EQ(picture.GetColourSpace(), nullptr) << why;
        EXPECT_EQ(zvColourFromSrgb(colour.get(), RGB(1, 2, 3)), RGB(1, 2, 3)) << why;
    }
}

// The caption's colour drawn on a picture kept in its own space: the
// numbers that show the chosen sRGB colour there, as transicc gives them.
TEST(ColourToSrgb, CaptionColoursGoIntoThePicturesSpace)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc is missing";
    const std::vector<Rgb> srgb = {{217, 41, 51}, {255, 255, 0}, {10, 20, 30}, {0, 0, 255}};
    for (TestSpace space : {TestSpace::DisplayP3, TestSpace::AdobeRgb}) {
        const std::vector<Rgb> want = transiccFromSrgb(testProfileFile(space), srgb);
        ASSERT_EQ(want.size(), srgb.size());
        const ZvColourSpacePtr colour = zvColourFromIcc(testProfile(space));
        for (std::size_t i = 0; i < srgb.size(); ++i) {
            const COLORREF got = zvColourFromSrgb(colour.get(), RGB(srgb[i][0], srgb[i][1], srgb[i][2]));
            EXPECT_NEAR(GetRValue(got), want[i][0], 1) << i;
            EXPECT_NEAR(GetGValue(got), want[i][1], 1) << i;
            EXPECT_NEAR(GetBValue(got), want[i][2], 1) << i;
        }
    }
    EXPECT_EQ(zvColourFromSrgb(nullptr, RGB(217, 41, 51)), RGB(217, 41, 51));
}

// A space stated as numbers becomes a profile another program reads as the
// same space; sRGB's own profile says it is sRGB.
TEST(ColourToSrgb, ProfilesWrittenForDescriptionsDescribeTheSameSpace)
{
    const std::vector<std::uint8_t> p3 = zvColourIccProfile(*displayP3Cicp());
    ASSERT_GT(p3.size(), 128u);
    ZvImage fromWritten = patchPicture(testPatches());
    fromWritten.SetColourSpace(zvColourFromIcc(p3));
    ZvImage fromOriginal = patchPicture(testPatches());
    fromOriginal.SetColourSpace(zvColourFromIcc(testProfile(TestSpace::DisplayP3)));
    EXPECT_EQ(zvConvertToSrgb(fromWritten).from, "Display P3");
    zvConvertToSrgb(fromOriginal);
    expectNear(pixelsOf(fromWritten), pixelsOf(fromOriginal), 1);

    EXPECT_EQ(zvColourIccProfile(*zvColourFromIcc(p3)), p3);
    EXPECT_EQ(zvColourName(*zvColourFromIcc(zvSrgbIccProfile())), "sRGB IEC61966-2.1");
    EXPECT_FALSE(zvColourNeedsConversion(zvColourFromIcc(zvSrgbIccProfile()).get()));
    EXPECT_EQ(zvColourName(*zvColourFromIcc(std::vector<std::uint8_t>(300, 1))), "ICC profile");
}

TEST(ColourSpace, CicpCodesNameTheirSpaceAndSrgbOnesSayNothing)
{
    EXPECT_EQ(zvColourFromCicp(1, 13, 6, true), nullptr);
    EXPECT_EQ(zvColourFromCicp(1, 1, 1, false), nullptr); // the video curve is read as sRGB's
    EXPECT_EQ(zvColourFromCicp(2, 2, 2, true), nullptr);
    EXPECT_EQ(zvColourFromCicp(200, 13, 6, true), nullptr); // unknown primaries: unspecified

    const ZvColourSpacePtr p3 = zvColourFromCicp(12, 13, 6, false);
    ASSERT_NE(p3, nullptr);
    EXPECT_EQ(p3->name, "Display P3");
    EXPECT_DOUBLE_EQ(p3->primaries.gx, 0.265);
    EXPECT_DOUBLE_EQ(p3->primaries.wy, 0.3290);
    EXPECT_EQ(p3->cicpMatrix, 6);
    EXPECT_FALSE(p3->fullRange);

    const ZvColourSpacePtr linear = zvColourFromCicp(1, 8, 0, true);
    ASSERT_NE(linear, nullptr);
    EXPECT_EQ(linear->transfer, ZvTransfer::Linear);
    EXPECT_EQ(linear->name, "sRGB (linear)");
    const ZvColourSpacePtr pq = zvColourFromCicp(9, 16, 9, true);
    ASSERT_NE(pq, nullptr);
    EXPECT_TRUE(pq->IsHdr());
    EXPECT_EQ(pq->name, "Rec. 2100 PQ");
    EXPECT_EQ(zvColourFromCicp(9, 18, 9, true)->transfer, ZvTransfer::Hlg);
    EXPECT_DOUBLE_EQ(zvColourFromCicp(1, 5, 6, true)->gamma, 2.8);
    EXPECT_DOUBLE_EQ(zvColourFromCicp(11, 13, 6, true)->primaries.wx, 0.314);
}

TEST(ColourSpace, PngGammaAndChromaticitiesSayNothingWhenTheyAreSrgbs)
{
    EXPECT_EQ(zvColourFromPngGamma(45455, nullptr), nullptr);
    EXPECT_EQ(zvColourFromPngGamma(45200, nullptr), nullptr); // within 1 % of 1/2.2
    EXPECT_EQ(zvColourFromPngGamma(0, nullptr), nullptr);
    const ZvColourSpacePtr linear = zvColourFromPngGamma(100000, nullptr);
    ASSERT_NE(linear, nullptr);
    EXPECT_EQ(linear->transfer, ZvTransfer::Gamma);
    EXPECT_DOUBLE_EQ(linear->gamma, 1.0);
    EXPECT_DOUBLE_EQ(zvColourFromPngGamma(25000, nullptr)->gamma, 4.0);
    ZvChromaticities wide{0.68, 0.32, 0.265, 0.69, 0.15, 0.06, 0.3127, 0.3290};
    const ZvColourSpacePtr chrm = zvColourFromPngGamma(45455, &wide);
    ASSERT_NE(chrm, nullptr);
    EXPECT_EQ(chrm->transfer, ZvTransfer::Srgb);
    EXPECT_EQ(chrm->primaries, wide);
}

} // namespace
