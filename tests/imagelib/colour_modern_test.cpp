// tests/imagelib/colour_modern_test.cpp
// Colour descriptions read from HEIF, AVIF and JPEG XL, and the HDR tone
// map. Files are made at test time with the formats' reference encoders
// (or libheif's encoder, which heif-enc does not let write an nclx box).
#include "imagelib/colour/colour_convert.h"
#include "imagelib/colour/hdr_tone_map.h"
#include "imagelib/core/colour_space.h"
#include "imagelib/core/image.h"
#include "tests/imagelib/reference_codec.h"
#include "tests/support/test_profiles.h"

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <cmath>
#include <memory>

namespace {

constexpr int kPatch = 16;

// The PQ signal of a display light (ST 2084 inverse EOTF), written out
// here rather than taken from the library under test.
double pqSignal(double nits)
{
    const double m1 = 0.1593017578125, m2 = 78.84375, c1 = 0.8359375, c2 = 18.8515625, c3 = 18.6875;
    const double y = std::pow(nits / 10000.0, m1);
    return std::pow((c1 + c2 * y) / (1 + c3 * y), m2);
}

std::uint32_t pqCode(double nits, int bits)
{
    return std::uint32_t(std::lround(pqSignal(nits) * ((1 << bits) - 1)));
}

Rgb mapped(const ZvHdrToneMap &map, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    std::uint8_t bgr[3];
    map.MapToBgr(r, g, b, bgr);
    return {bgr[2], bgr[1], bgr[0]};
}

ZvColourSpacePtr rec2100Pq()
{
    return zvColourFromCicp(9, 16, 9, true);
}

int grey(double nits)
{
    const ZvHdrToneMap map(*rec2100Pq(), 12);
    const std::uint32_t code = pqCode(nits, 12);
    return mapped(map, code, code, code)[1];
}

// The test patches side by side, kPatch pixels square each, as a PNG.
std::string patchPng(const std::string &name, const std::vector<Rgb> &colours)
{
    ZvImage image;
    image.Create(std::uint32_t(kPatch * colours.size()), kPatch, 24, ZV_TYPE_BMP);
    for (std::size_t i = 0; i < colours.size(); ++i)
        for (int y = 0; y < kPatch; ++y)
            for (int x = 0; x < kPatch; ++x)
                image.SetPixelColor(int(i) * kPatch + x, y,
                                    RGBQUAD{std::uint8_t(colours[i][2]), std::uint8_t(colours[i][1]),
                                            std::uint8_t(colours[i][0]), 0});
    const std::string path = scratchDir() + "/" + name;
    EXPECT_TRUE(image.Save(path.c_str(), ZV_TYPE_PNG)) << image.GetLastError();
    return path;
}

// The same PNG with the profile of space attached (not converted).
std::string taggedPatchPng(const std::string &name, TestSpace space)
{
    const std::string plain = patchPng("plain-" + name, testPatches());
    const std::string tagged = scratchDir() + "/" + name;
    if (!run("convert " + shellQuoted(plain) + " -profile " + shellQuoted(testProfileFile(space)) +
             " PNG24:" + shellQuoted(tagged)))
        return {};
    return tagged;
}

// The centre of each patch, top row first.
std::vector<Rgb> patchCentres(const ZvImage &image, std::size_t count)
{
    std::vector<Rgb> out;
    for (std::size_t i = 0; i < count; ++i) {
        const RGBQUAD c = image.GetPixelColor(int(i) * kPatch + kPatch / 2, kPatch / 2, false);
        out.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
    return out;
}

// Whether two profiles are the same but for the date in their header
// (LittleCMS stamps the time each one is made).
bool sameProfile(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b)
{
    if (a.size() != b.size() || a.size() < 128)
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((i < 24 || i >= 36) && a[i] != b[i])
            return false;
    return true;
}

std::string listed(const std::vector<Rgb> &colours)
{
    std::string text;
    for (const Rgb &c : colours)
        text += " " + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
    return text;
}

int maxChannelDifference(const std::vector<Rgb> &a, const std::vector<Rgb> &b)
{
    int worst = a.size() == b.size() ? 0 : 999;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(a[i][c] - b[i][c]));
    return worst;
}

// The picture converted to sRGB matches transicc's conversion of the numbers
// it decoded to (so that compression does not count), within 2 levels.
void expectConvertedAsTransicc(const ZvImage &image, TestSpace space)
{
    if (!haveTransicc())
        return;
    const std::vector<Rgb> stored = patchCentres(image, testPatches().size());
    const std::vector<Rgb> want = transiccToSrgb(testProfileFile(space), stored);
    ASSERT_EQ(want.size(), stored.size());
    ZvImage shown(image, true);
    EXPECT_TRUE(zvConvertToSrgb(shown).Converted());
    EXPECT_LE(maxChannelDifference(patchCentres(shown, testPatches().size()), want), 2)
        << listed(patchCentres(shown, testPatches().size())) << "\n"
        << listed(want);
}

ZvImage decoded(const std::string &path, std::uint32_t type)
{
    ZvImage image;
    EXPECT_TRUE(image.Load(path.c_str(), type)) << path << ": " << image.GetLastError();
    return image;
}

struct HeifEncoderRelease
{
    void operator()(heif_encoder *e) const { heif_encoder_release(e); }
};
struct HeifContextRelease
{
    void operator()(heif_context *c) const { heif_context_free(c); }
};

// A HEIF of the colours (code values of bits bits) with an nclx colr box,
// through libheif's encoder at its best quality, 4:4:4. Empty when no HEVC
// encoder is there.
std::string heifWithNclx(const std::string &name, const std::vector<Rgb> &codes, int bits, int primaries,
                         int transfer, int matrix)
{
    heif_init(nullptr);
    std::unique_ptr<heif_context, HeifContextRelease> context(heif_context_alloc());
    heif_encoder *rawEncoder = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder).code !=
        heif_error_Ok)
        return {};
    std::unique_ptr<heif_encoder, HeifEncoderRelease> encoder(rawEncoder);
    heif_encoder_set_lossy_quality(encoder.get(), 100);
    heif_encoder_set_parameter(encoder.get(), "chroma", "444");
    const int width = int(codes.size()) * kPatch;
    heif_image *image = nullptr;
    heif_image_create(width, kPatch, heif_colorspace_RGB,
                      bits > 8 ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, kPatch, bits);
    int stride = 0;
    std::uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < kPatch; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int v = codes[std::size_t(x / kPatch)][c];
                if (bits > 8) {
                    plane[y * stride + x * 6 + 2 * c] = std::uint8_t(v & 0xFF);
                    plane[y * stride + x * 6 + 2 * c + 1] = std::uint8_t(v >> 8);
                } else {
                    plane[y * stride + x * 3 + c] = std::uint8_t(v);
                }
            }
    heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, std::uint16_t(primaries));
    heif_nclx_color_profile_set_transfer_characteristics(nclx, std::uint16_t(transfer));
    heif_nclx_color_profile_set_matrix_coefficients(nclx, std::uint16_t(matrix));
    nclx->full_range_flag = 1;
    heif_image_set_nclx_color_profile(image, nclx);
    heif_encoding_options *options = heif_encoding_options_alloc();
    options->output_nclx_profile = nclx;
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
    const heif_error encoded =
        heif_context_encode_image(context.get(), image, encoder.get(), options, nullptr);
    heif_encoding_options_free(options);
    heif_nclx_color_profile_free(nclx);
    heif_image_release(image);
    const std::string path = scratchDir() + "/" + name;
    if (encoded.code != heif_error_Ok ||
        heif_context_write_to_file(context.get(), path.c_str()).code != heif_error_Ok)
        return {};
    return path;
}

} // namespace

// ---- The tone map's curve, on numbers -------------------------------------

struct PqPoint
{
    double signal;
    double nits;
    double tolerance;
};

class PqEotf : public testing::TestWithParam<PqPoint>
{
};

// ST 2084 / BT.2408 table values: 58 % is reference white, 75 % 1000 cd/m2.
TEST_P(PqEotf, GivesTheStandardLuminance)
{
    EXPECT_NEAR(zvPqToNits(GetParam().signal), GetParam().nits, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(Table, PqEotf,
                         testing::Values(PqPoint{0.0, 0.0, 1e-9}, PqPoint{0.5081, 100, 0.5},
                                         PqPoint{0.5806, 203, 1.0}, PqPoint{0.7518, 1000, 4},
                                         PqPoint{1.0, 10000, 1e-6}));

TEST(HdrToneMap, HlgReferenceWhiteIsSeventyFivePercent)
{
    EXPECT_NEAR(zvHlgToScene(0.5), 1.0 / 12, 1e-9);
    EXPECT_NEAR(zvHlgToScene(1.0), 1.0, 1e-6);
    // 75 % on the nominal 1000 cd/m2 display (gamma 1.2) is 203 cd/m2.
    const double scene = zvHlgToScene(0.75);
    EXPECT_NEAR(1000 * std::pow(scene, 1.2), 203, 2);
}

TEST(HdrToneMap, CurveIsLinearBelowTheKneeAndJoinsSmoothly)
{
    const double peak = 10000 / 203.0;
    EXPECT_DOUBLE_EQ(zvHdrToneCurve(0.0, peak), 0.0);
    EXPECT_DOUBLE_EQ(zvHdrToneCurve(0.5, peak), 0.5);
    EXPECT_NEAR(zvHdrToneCurve(0.8 + 1e-6, peak), 0.8, 1e-5);
    const double slope = (zvHdrToneCurve(0.8 + 1e-4, peak) - zvHdrToneCurve(0.8, peak)) / 1e-4;
    EXPECT_NEAR(slope, 1.0, 0.01);
    EXPECT_NEAR(zvHdrToneCurve(peak, peak), 1.0, 1e-12);
    EXPECT_NEAR(zvHdrToneCurve(1000 / 203.0, 1000 / 203.0), 1.0, 1e-12);
    double last = 0;
    for (double x = 0; x <= peak; x += 0.01) {
        const double y = zvHdrToneCurve(x, peak);
        EXPECT_GE(y, last) << x;
        last = y;
    }
}

// Reference white is near white (not dark), mid grey where an SDR picture
// has it, highlights kept apart below the ceiling.
TEST(HdrToneMap, PqGreysLandWhereAnSdrRenderingHasThem)
{
    EXPECT_EQ(grey(0), 0);
    EXPECT_NEAR(grey(0.18 * 203), 118, 2);
    EXPECT_NEAR(grey(203), 244, 2);
    const double peak = 10000 / 203.0;
    EXPECT_LT(zvHdrToneCurve(1000 / 203.0, peak), 0.995);
    EXPECT_LT(grey(1000), grey(10000));
    EXPECT_LT(grey(203), grey(1000));
    EXPECT_EQ(grey(10000), 255);
}

TEST(HdrToneMap, MonotonicAndNeutralOverEveryCode)
{
    for (const int transfer : {16, 18}) {
        const ZvHdrToneMap map(*zvColourFromCicp(9, transfer, 9, true), 10);
        int last = 0;
        for (std::uint32_t v = 0; v < 1024; ++v) {
            const Rgb out = mapped(map, v, v, v);
            ASSERT_EQ(out[0], out[1]) << transfer << " code " << v;
            ASSERT_EQ(out[1], out[2]) << transfer << " code " << v;
            ASSERT_GE(out[0], last) << transfer << " code " << v;
            last = out[0];
        }
        EXPECT_EQ(last, 255);
    }
}

TEST(HdrToneMap, HlgReferenceWhiteMatchesPqReferenceWhite)
{
    const ZvHdrToneMap hlg(*zvColourFromCicp(9, 18, 9, true), 10);
    const std::uint32_t code = std::uint32_t(std::lround(0.75 * 1023));
    EXPECT_NEAR(mapped(hlg, code, code, code)[0], grey(203), 2);
}

// sRGB's own red, written in Rec. 2020 (BT.2087's matrix), below the knee:
// the primaries' conversion gives pure red at the sRGB level of its light.
TEST(HdrToneMap, ConvertsRec2020PrimariesToSrgb)
{
    const ZvHdrToneMap map(*rec2100Pq(), 12);
    const double nits = 150;
    const Rgb red =
        mapped(map, pqCode(0.6274 * nits, 12), pqCode(0.0691 * nits, 12), pqCode(0.0164 * nits, 12));
    const double linear = nits / 203;
    const int level = int(std::lround((1.055 * std::pow(linear, 1 / 2.4) - 0.055) * 255));
    EXPECT_NEAR(red[0], level, 2);
    EXPECT_LE(red[1], 3);
    EXPECT_LE(red[2], 3);
}

struct Saturated
{
    double r, g, b;           // cd/m2 per Rec. 2020 channel
    int first, second, third; // channel order of the result, brightest first
};

class HdrGamut : public testing::TestWithParam<Saturated>
{
};

// Colours outside sRGB come inside it with their channels in the order
// the primaries' conversion gives them (Rec. 2020's red is a touch towards
// magenta in sRGB, its blue towards cyan): a red stays red, an orange does
// not turn yellow or pink.
TEST_P(HdrGamut, KeepsTheHueOfColoursOutsideSrgb)
{
    const Saturated s = GetParam();
    const ZvHdrToneMap map(*rec2100Pq(), 12);
    const Rgb out = mapped(map, pqCode(s.r, 12), pqCode(s.g, 12), pqCode(s.b, 12));
    EXPECT_GT(out[s.first], out[s.second]) << out[0] << "," << out[1] << "," << out[2];
    EXPECT_GE(out[s.second], out[s.third]) << out[0] << "," << out[1] << "," << out[2];
    EXPECT_GT(out[s.first], 100); // not dark
}

INSTANTIATE_TEST_SUITE_P(Rec2020, HdrGamut,
                         testing::Values(Saturated{400, 0, 0, 0, 2, 1}, Saturated{0, 400, 0, 1, 2, 0},
                                         Saturated{0, 0, 400, 2, 1, 0}, Saturated{600, 150, 0, 0, 1, 2},
                                         Saturated{3000, 0, 0, 0, 2, 1}, Saturated{0, 400, 400, 1, 2, 0}));

// ---- Descriptions read from files -----------------------------------------

TEST(ColourModern, HeifKeepsItsIccProfileWithTheNumbers)
{
    if (!haveTool("heif-enc") || !haveImageMagick())
        GTEST_SKIP() << "heif-enc or ImageMagick missing";
    const std::string png = taggedPatchPng("p3-heif.png", TestSpace::DisplayP3);
    const std::string heic = scratchDir() + "/p3.heic";
    ASSERT_TRUE(run("heif-enc -L -p chroma=444 --matrix_coefficients=0 " + shellQuoted(png) + " -o " +
                    shellQuoted(heic)));
    const ZvImage image = decoded(heic, ZV_TYPE_HEIF);
    ASSERT_NE(image.GetColourSpace(), nullptr);
    EXPECT_EQ(image.GetColourSpace()->kind, ZvColourKind::Icc);
    EXPECT_TRUE(sameProfile(image.GetColourSpace()->icc, testProfile(TestSpace::DisplayP3)));
    // Lossless HEVC in RGB is off by one in a few samples.
    EXPECT_LE(maxChannelDifference(patchCentres(image, testPatches().size()), testPatches()), 1);
    expectConvertedAsTransicc(image, TestSpace::DisplayP3);
    // Photo information or not, the description is there.
    EXPECT_EQ(image.GetPhotoInfo(), nullptr);
}

struct Cicp
{
    int primaries, transfer, matrix;
    ZvTransfer curve;
    const char *name;
};

class HeifNclx : public testing::TestWithParam<Cicp>
{
};

TEST_P(HeifNclx, BecomesTheDescription)
{
    const Cicp c = GetParam();
    const std::string heic = heifWithNclx("nclx.heic", testPatches(), 8, c.primaries, c.transfer, c.matrix);
    if (heic.empty())
        GTEST_SKIP() << "no HEVC encoder in libheif";
    const ZvImage image = decoded(heic, ZV_TYPE_HEIF);
    const ZvColourSpace *colour = image.GetColourSpace();
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->kind, ZvColourKind::Described);
    EXPECT_EQ(colour->cicpPrimaries, c.primaries);
    EXPECT_EQ(colour->cicpTransfer, c.transfer);
    EXPECT_EQ(colour->cicpMatrix, c.matrix);
    EXPECT_EQ(colour->transfer, c.curve);
    EXPECT_EQ(colour->name, c.name);
    EXPECT_LE(maxChannelDifference(patchCentres(image, testPatches().size()), testPatches()), 2);
    if (c.primaries == 12)
        expectConvertedAsTransicc(image, TestSpace::DisplayP3);
}

INSTANTIATE_TEST_SUITE_P(Spaces, HeifNclx,
                         testing::Values(Cicp{12, 13, 6, ZvTransfer::Srgb, "Display P3"},
                                         Cicp{9, 8, 9, ZvTransfer::Linear, "Rec. 2020 (linear)"},
                                         Cicp{1, 4, 6, ZvTransfer::Gamma, "sRGB (gamma 2.2)"}));

TEST(ColourModern, HeifStatingSrgbTakesTheOldPath)
{
    const std::string heic = heifWithNclx("srgb.heic", testPatches(), 8, 1, 13, 6);
    if (heic.empty())
        GTEST_SKIP() << "no HEVC encoder in libheif";
    EXPECT_EQ(decoded(heic, ZV_TYPE_HEIF).GetColourSpace(), nullptr);
}

// The thumbnail has no colr box of its own; it is in the primary's colours.
TEST(ColourModern, HeifThumbnailSharesThePrimarysProfile)
{
    if (!haveTool("heif-enc") || !haveImageMagick())
        GTEST_SKIP() << "heif-enc or ImageMagick missing";
    const std::string plain = scratchDir() + "/big-plain.png";
    const std::string png = scratchDir() + "/big-p3.png";
    ASSERT_TRUE(run("convert -size 256x192 gradient:red-blue PNG24:" + shellQuoted(plain)));
    ASSERT_TRUE(run("convert " + shellQuoted(plain) + " -profile " +
                    shellQuoted(testProfileFile(TestSpace::DisplayP3)) + " PNG24:" + shellQuoted(png)));
    const std::string heic = scratchDir() + "/thumb-p3.heic";
    ASSERT_TRUE(run("heif-enc -q 80 -t 64 " + shellQuoted(png) + " -o " + shellQuoted(heic)));
    ZvImage image;
    image.SetReducedDecode(64, 48);
    ASSERT_TRUE(image.Load(heic.c_str(), ZV_TYPE_HEIF)) << image.GetLastError();
    ASSERT_LT(image.GetWidth(), 256u); // the thumbnail was taken
    ASSERT_NE(image.GetColourSpace(), nullptr);
    EXPECT_TRUE(sameProfile(image.GetColourSpace()->icc, testProfile(TestSpace::DisplayP3)));
}

TEST(ColourModern, AvifIccWinsOverCicp)
{
    ZV_REQUIRE_TOOL("avifenc");
    const std::string png = patchPng("avif-icc.png", testPatches());
    const std::string avif = scratchDir() + "/icc.avif";
    ASSERT_TRUE(run("avifenc -l --icc " + shellQuoted(testProfileFile(TestSpace::Rec2020)) + " " +
                    shellQuoted(png) + " " + shellQuoted(avif)));
    const ZvImage image = decoded(avif, ZV_TYPE_AVIF);
    ASSERT_NE(image.GetColourSpace(), nullptr);
    EXPECT_EQ(image.GetColourSpace()->kind, ZvColourKind::Icc);
    EXPECT_TRUE(sameProfile(image.GetColourSpace()->icc, testProfile(TestSpace::Rec2020)));
    EXPECT_EQ(maxChannelDifference(patchCentres(image, testPatches().size()), testPatches()), 0);
    expectConvertedAsTransicc(image, TestSpace::Rec2020);
}

TEST(ColourModern, AvifCicpBecomesTheDescription)
{
    ZV_REQUIRE_TOOL("avifenc");
    const std::string png = patchPng("avif-cicp.png", testPatches());
    const std::string avif = scratchDir() + "/cicp.avif";
    ASSERT_TRUE(run("avifenc -s 8 --min 0 --max 0 -y 444 --cicp 12/13/6 " + shellQuoted(png) + " " +
                    shellQuoted(avif)));
    const ZvImage image = decoded(avif, ZV_TYPE_AVIF);
    const ZvColourSpace *colour = image.GetColourSpace();
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->kind, ZvColourKind::Described);
    EXPECT_EQ(colour->name, "Display P3");
    EXPECT_EQ(colour->cicpMatrix, 6);
    ZvChromaticities p3;
    ASSERT_TRUE(zvCicpPrimaries(12, p3));
    EXPECT_EQ(colour->primaries, p3);
    EXPECT_LE(maxChannelDifference(patchCentres(image, testPatches().size()), testPatches()), 2);
    expectConvertedAsTransicc(image, TestSpace::DisplayP3);
}

TEST(ColourModern, JxlLosslessKeepsItsIccProfile)
{
    ZV_REQUIRE_TOOL("cjxl");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const std::string png = taggedPatchPng("p3-jxl.png", TestSpace::DisplayP3);
    const std::string jxl = scratchDir() + "/p3-lossless.jxl";
    ASSERT_TRUE(run("cjxl -d 0 " + shellQuoted(png) + " " + shellQuoted(jxl)));
    const ZvImage image = decoded(jxl, ZV_TYPE_JXL);
    ASSERT_NE(image.GetColourSpace(), nullptr);
    EXPECT_EQ(image.GetColourSpace()->kind, ZvColourKind::Icc);
    EXPECT_EQ(maxChannelDifference(patchCentres(image, testPatches().size()), testPatches()), 0);
}

// An XYB-coded picture is handed over by libjxl in sRGB: no description
// left, and the colours those a colour-managed conversion gives.
TEST(ColourModern, JxlXybComesAsSrgb)
{
    ZV_REQUIRE_TOOL("cjxl");
    if (!haveImageMagick() || !haveTransicc())
        GTEST_SKIP() << "ImageMagick or transicc missing";
    const std::string png = taggedPatchPng("p3-xyb.png", TestSpace::DisplayP3);
    const std::string jxl = scratchDir() + "/p3-xyb.jxl";
    ASSERT_TRUE(run("cjxl -d 0.3 " + shellQuoted(png) + " " + shellQuoted(jxl)));
    const ZvImage image = decoded(jxl, ZV_TYPE_JXL);
    EXPECT_EQ(image.GetColourSpace(), nullptr);
    const std::vector<Rgb> expected = transiccToSrgb(testProfileFile(TestSpace::DisplayP3), testPatches());
    ASSERT_FALSE(expected.empty());
    // XYB is always lossy (a few levels where the sRGB curve is steep, near
    // black), and colours outside sRGB are clipped by libjxl and LittleCMS
    // in different ways.
    const std::vector<Rgb> got = patchCentres(image, testPatches().size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const Rgb &e = expected[i];
        const bool clipped = std::min({e[0], e[1], e[2]}) == 0 || std::max({e[0], e[1], e[2]}) == 255;
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[i][c], e[c], clipped ? 10 : 6) << listed(got) << "\n" << listed(expected);
    }
}

// A grey picture in linear light keeps its linear numbers and says so.
TEST(ColourModern, JxlLinearGreyIsDescribedAsLinear)
{
    ZV_REQUIRE_TOOL("cjxl");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    const std::string ramp = scratchDir() + "/ramp.png";
    const std::string png = scratchDir() + "/linear-grey.png";
    ASSERT_TRUE(run("convert -size 16x64 gradient:black-white -rotate 90 PNG24:" + shellQuoted(ramp)));
    // The same numbers, said to be linear light.
    ASSERT_TRUE(run("convert " + shellQuoted(ramp) +
                    " -set gamma 1.0 -define png:color-type=0 -define png:bit-depth=8 " + shellQuoted(png)));
    const std::string jxl = scratchDir() + "/linear-grey.jxl";
    ASSERT_TRUE(run("cjxl -d 0 " + shellQuoted(png) + " " + shellQuoted(jxl)));
    const ZvImage image = decoded(jxl, ZV_TYPE_JXL);
    const ZvColourSpace *colour = image.GetColourSpace();
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->kind, ZvColourKind::Described);
    EXPECT_EQ(colour->transfer, ZvTransfer::Linear);
    EXPECT_EQ(colour->primaries, ZvChromaticities());
    const Rgb8 reference = pngPixels(ramp);
    EXPECT_EQ(maxDifference(toRgb(image), reference), 0);

    // Converted, each grey is the sRGB level of its light: no longer dark.
    ZvImage shown(image, true);
    EXPECT_EQ(zvConvertToSrgb(shown).from, "Grey (linear)");
    for (std::uint32_t x = 0; x < shown.GetWidth(); x += 5) {
        const double light = image.GetPixelColor(std::int32_t(x), 0).rgbGreen / 255.0;
        const double srgb = light <= 0.0031308 ? 12.92 * light : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
        EXPECT_NEAR(shown.GetPixelColor(std::int32_t(x), 0).rgbGreen, srgb * 255, 1.0) << x;
    }
}

// ---- HDR pictures end to end ----------------------------------------------

std::vector<Rgb> hdrGreys(int bits)
{
    std::vector<Rgb> codes;
    for (const double nits : {0.0, 0.18 * 203, 203.0, 1000.0, 10000.0}) {
        const int v = int(pqCode(nits, bits));
        codes.push_back({v, v, v});
    }
    return codes;
}

void expectHdrGreys(const ZvImage &image)
{
    // sRGB now, and the run can say what it was made from.
    ASSERT_NE(image.GetColourSpace(), nullptr);
    EXPECT_EQ(image.GetColourSpace()->kind, ZvColourKind::Srgb);
    EXPECT_EQ(image.GetColourSpace()->convertedFrom, "Rec. 2100 PQ (tone-mapped)");
    const std::vector<Rgb> got = patchCentres(image, 5);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_LE(got[0][1], 2);
    EXPECT_NEAR(got[1][1], 118, 4); // not dark
    EXPECT_NEAR(got[2][1], 244, 3);
    EXPECT_LT(got[2][1], got[3][1]); // not flat
    EXPECT_LT(got[3][1], 255);       // not clipped
    EXPECT_EQ(got[4][1], 255);
    for (const Rgb &c : got)
        EXPECT_LE(std::max({std::abs(c[0] - c[1]), std::abs(c[1] - c[2])}), 1); // neutral
}

TEST(ColourModern, PqAvifIsToneMappedFromItsTenBits)
{
    ZV_REQUIRE_TOOL("avifenc");
    if (!haveImageMagick())
        GTEST_SKIP() << "ImageMagick missing";
    std::string args;
    for (const Rgb &c : hdrGreys(16))
        args += " -size 16x16 xc:'rgb(" + std::to_string(c[0] * 100.0 / 65535) + "%," +
                std::to_string(c[1] * 100.0 / 65535) + "%," + std::to_string(c[2] * 100.0 / 65535) + "%)'";
    const std::string png = scratchDir() + "/pq16.png";
    ASSERT_TRUE(run("convert" + args + " +append -depth 16 -define png:color-type=2 " + shellQuoted(png)));
    const std::string avif = scratchDir() + "/pq10.avif";
    ASSERT_TRUE(run("avifenc -s 8 --min 0 --max 0 -y 444 --depth 10 --cicp 9/16/9 " + shellQuoted(png) + " " +
                    shellQuoted(avif)));
    expectHdrGreys(decoded(avif, ZV_TYPE_AVIF));
}

TEST(ColourModern, PqHeifIsToneMappedFromItsTenBits)
{
    const std::string heic = heifWithNclx("pq10.heic", hdrGreys(10), 10, 9, 16, 9);
    if (heic.empty())
        GTEST_SKIP() << "no HEVC encoder in libheif";
    expectHdrGreys(decoded(heic, ZV_TYPE_HEIF));
}
