// tests/export/colour_export_test.cpp
// Pictures that state a colour space of their own through a whole export:
// written as plain sRGB by default, as sRGB with its profile when photo
// information is kept, or in their own space with the caption's colours
// converted into it; and the check list says which are converted.
#include "export/export_plan.h"
#include "export/export_run.h"
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/photo_info.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/test_profiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

constexpr int kPng = 5; // indices into the format table
constexpr int kBmp = 3;

// Four flat patches of Display P3 numbers side by side, 16 x 16 pixels each.
const std::vector<Rgb> kPatches = {{200, 60, 60}, {60, 180, 60}, {230, 200, 50}, {255, 128, 0}};

std::string writePatches(const std::string &name, ImageType type, const std::vector<std::uint8_t> &icc)
{
    ZvImage picture(64, 16, 24);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 16; ++y) {
            const Rgb &c = kPatches[std::size_t(x / 16)];
            picture.SetPixelColor(x, y, RGB(std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2])));
        }
    if (!icc.empty()) {
        auto record = std::make_shared<ZvPhotoInfo>();
        record->icc = icc;
        picture.SetPhotoInfo(record);
        picture.SetKeepPhotoInfo(true);
    }
    picture.SetJpegQuality(100);
    const std::string path = freshFolder("colour-src-" + name) + "/" + name;
    EXPECT_TRUE(picture.Save(path.c_str(), type)) << picture.GetLastError();
    return path;
}

std::vector<Rgb> patchCentres(const ZvImage &picture, int y = 8)
{
    std::vector<Rgb> out;
    for (int i = 0; i < 4; ++i) {
        const COLORREF c = colourAt(picture, int(picture.GetWidth()) * (2 * i + 1) / 8, y);
        out.push_back({GetRValue(c), GetGValue(c), GetBValue(c)});
    }
    return out;
}

void expectNear(const std::vector<Rgb> &got, const std::vector<Rgb> &want, int tolerance)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[i][c], want[i][c], tolerance) << "patch " << i << " channel " << c;
}

struct Exported
{
    ExportResult result;
    std::string message;
    std::string output;
    ZvImage picture; // the output read back, keeping its photo information
};

struct Setup
{
    bool keepInfo = false;
    bool keepColours = false;
    int format = kPng;
    std::optional<CaptionSettings> caption;
};

Exported exportOne(const std::string &source, const Setup &setup)
{
    static int counter = 0;
    ExportJob job;
    job.options.OutputFolder = freshFolder("colour-out" + std::to_string(counter++));
    job.options.Format = setup.format;
    job.options.KeepPhotoInfo = setup.keepInfo;
    job.options.KeepColourSpace = setup.keepColours;
    job.caption = setup.caption;
    job.rows.push_back(rowFor(source));
    ScriptObserver observer;
    Exported run;
    run.result = RunExport(job, observer);
    run.message = observer.messages.empty() ? std::string() : observer.messages.back();
    const std::string name = source.substr(source.rfind('/') + 1);
    run.output = job.options.OutputFolder + "/" + name.substr(0, name.rfind('.')) +
                 exportFormat(setup.format).extension;
    run.picture.SetKeepPhotoInfo(true);
    EXPECT_TRUE(run.picture.Load(run.output.c_str(), ImageTypeFromName(run.output))) << run.message;
    return run;
}

std::vector<std::uint8_t> keptProfile(const ZvImage &picture)
{
    return picture.GetPhotoInfo() ? picture.GetPhotoInfo()->icc : std::vector<std::uint8_t>();
}

std::vector<Rgb> managedReference()
{
    return transiccToSrgb(testProfileFile(TestSpace::DisplayP3), kPatches);
}

TEST(ColourExport, WideGamutPicturesAreWrittenAsPlainSrgbByDefault)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc is missing (scripts/deps.sh test)";
    const std::vector<Rgb> want = managedReference();
    for (ImageType type : {ZV_TYPE_PNG, ZV_TYPE_JPG}) {
        const std::string source =
            writePatches(type == ZV_TYPE_PNG ? "p3.png" : "p3.jpg", type, testProfile(TestSpace::DisplayP3));
        const Exported run = exportOne(source, {});
        ASSERT_EQ(run.result.saved, 1) << run.message;
        expectNear(patchCentres(run.picture), want, type == ZV_TYPE_PNG ? 1 : 3);
        EXPECT_TRUE(keptProfile(run.picture).empty());
        EXPECT_EQ(run.picture.GetColourSpace(), nullptr);
        ASSERT_EQ(convertedLines(run.result).size(), 1u) << run.message;
        EXPECT_EQ(convertedLines(run.result)[0],
                  "Display P3 -> sRGB: " + source.substr(source.rfind('/') + 1));
        EXPECT_NE(run.message.find("\nDisplay P3 -> sRGB: "), std::string::npos) << run.message;
    }
}

TEST(ColourExport, KeptPhotoInformationCarriesSrgbsProfileWithTheConvertedPixels)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc is missing";
    const std::string source = writePatches("p3-keep.png", ZV_TYPE_PNG, testProfile(TestSpace::DisplayP3));
    const Exported run = exportOne(source, {true, false});
    ASSERT_EQ(run.result.saved, 1) << run.message;
    expectNear(patchCentres(run.picture), managedReference(), 1);
    EXPECT_EQ(keptProfile(run.picture), zvSrgbIccProfile());
    EXPECT_EQ(convertedLines(run.result).size(), 1u);
}

CaptionSettings backBox(COLORREF back)
{
    CaptionSettings caption;
    caption.text.clear();
    caption.backColor = back;
    caption.offsets = {0, 0, 64, 4}; // the top four rows
    return caption;
}

// The picture's numbers and profile stay; a caption chosen as sRGB 217,41,51
// is written as the P3 numbers that show that colour.
TEST(ColourExport, KeepingTheColourSpaceKeepsPixelsAndProfileAndConvertsTheCaption)
{
    if (!haveTransicc())
        GTEST_SKIP() << "transicc is missing";
    const std::vector<std::uint8_t> p3 = testProfile(TestSpace::DisplayP3);
    const std::string source = writePatches("p3-own.png", ZV_TYPE_PNG, p3);
    Setup setup{true, true};
    setup.caption = backBox(RGB(217, 41, 51));
    const Exported run = exportOne(source, setup);
    ASSERT_EQ(run.result.saved, 1) << run.message;
    expectNear(patchCentres(run.picture), kPatches, 0);
    EXPECT_EQ(keptProfile(run.picture), p3);
    EXPECT_TRUE(convertedLines(run.result).empty());
    const std::vector<Rgb> caption = transiccFromSrgb(testProfileFile(TestSpace::DisplayP3), {{217, 41, 51}});
    ASSERT_EQ(caption.size(), 1u);
    expectNear({patchCentres(run.picture, 1)[0]}, caption, 1);

    // Without kept photo information there is nowhere to say what the numbers
    // mean, and a BMP cannot say it either: both are written in sRGB.
    for (const Setup &plain :
         {Setup{false, true, kPng, setup.caption}, Setup{true, true, kBmp, setup.caption}}) {
        const Exported converted = exportOne(source, plain);
        ASSERT_EQ(converted.result.saved, 1) << converted.message;
        expectNear(patchCentres(converted.picture), managedReference(), 1);
        expectNear({patchCentres(converted.picture, 1)[0]}, {{217, 41, 51}}, 0);
    }
}

std::string fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A picture stated as sRGB is written exactly as one that states nothing.
TEST(ColourExport, SrgbPicturesAreWrittenAsUndescribedOnes)
{
    const std::string plain = writePatches("plain.png", ZV_TYPE_PNG, {});
    const std::string srgb = writePatches("srgb.png", ZV_TYPE_PNG, zvSrgbIccProfile());
    for (int format : {kFormatJpeg, kPng}) {
        const Exported a = exportOne(plain, {false, false, format, backBox(RGB(217, 41, 51))});
        const Exported b = exportOne(srgb, {false, false, format, backBox(RGB(217, 41, 51))});
        ASSERT_EQ(a.result.saved, 1);
        ASSERT_EQ(b.result.saved, 1);
        EXPECT_EQ(fileBytes(a.output), fileBytes(b.output)) << format;
        EXPECT_TRUE(convertedLines(b.result).empty());
    }
}

TEST(ColourExport, TheCheckListNamesEachConversionAsTheRunDoes)
{
    const std::string p3 = writePatches("p3-plan.jpg", ZV_TYPE_JPG, testProfile(TestSpace::DisplayP3));
    const std::string plain = writePatches("plain-plan.jpg", ZV_TYPE_JPG, {});
    ExportJob job;
    job.options.OutputFolder = freshFolder("colour-plan");
    job.options.Format = kPng;
    job.rows = {rowFor(p3), rowFor(plain)};
    ExportPlan plan = planExport(job);
    ASSERT_EQ(plan.lines.size(), 2u) << plan.problem;
    EXPECT_EQ(plan.lines[0].colour, "Display P3 -> sRGB");
    EXPECT_EQ(plan.lines[1].colour, "");
    EXPECT_EQ(outcomeLine(plan.lines[0]),
              "[p3-plan.jpg]\t[p3-plan.PNG]\t64 x 16\tPNG\tnew\tDisplay P3 -> sRGB");
    EXPECT_EQ(outcomeLine(plan.lines[1]), "[plain-plan.jpg]\t[plain-plan.PNG]\t64 x 16\tPNG\tnew");

    job.options.KeepPhotoInfo = true;
    job.options.KeepColourSpace = true;
    plan = planExport(job);
    EXPECT_EQ(plan.lines[0].colour, "");
    job.options.Format = kBmp; // no profile, so converted after all
    plan = planExport(job);
    EXPECT_EQ(plan.lines[0].colour, "Display P3 -> sRGB");
}

} // namespace
