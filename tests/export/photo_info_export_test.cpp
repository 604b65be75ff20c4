// tests/export/photo_info_export_test.cpp
// The photograph's own information through a whole export, read back by our
// EXIF reader and by ImageMagick.
#include "export/export_run.h"
#include "export/photo_info_export.h"
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/codecs/jpeg/exif_editor.h"
#include "imagelib/colour/colour_convert.h"
#include "imagelib/core/photo_info.h"
#include "imagelib/streams/io_file.h"
#include "platform/profile_store.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"
#include "tests/support/test_profiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string sample(const std::string &name)
{
    return corporaDir() + "/exif-samples/jpg/" + name;
}

ZvExifInfo exifOf(const std::string &path)
{
    ZvImageJPG codec;
    ZvIOFile file;
    if (file.Open(path.c_str(), "rb"))
        codec.DecodeExif(&file);
    return codec.GetExifInfo();
}

// One "exif:Name=value" line of ImageMagick's dump; "" when absent.
std::string magickTag(const std::string &path, const std::string &name)
{
    std::string dump;
    runCommand("identify -format '%[EXIF:*]' '" + path + "' 2>/dev/null", &dump);
    const std::string key = "exif:" + name + "=";
    const std::size_t at = dump.find(key);
    if (at == std::string::npos || (at > 0 && dump[at - 1] != '\n'))
        return {};
    const std::size_t end = dump.find('\n', at);
    return dump.substr(at + key.size(), end == std::string::npos ? end : end - at - key.size());
}

std::string magickProfile(const std::string &path)
{
    std::string icc;
    runCommand("convert '" + path + "' icc:- 2>/dev/null", &icc);
    return icc;
}

struct Exported
{
    ExportResult result;
    std::string message;
    std::string output;
};

// Exports one corpus picture turned by rotation into a fresh folder.
Exported exportOne(const std::string &source, int rotation, bool keep, int format = kFormatJpeg,
                   const std::string &folderName = "meta")
{
    static int counter = 0;
    ExportJob job;
    job.options.OutputFolder = freshFolder(folderName + std::to_string(counter++));
    job.options.Format = format;
    job.options.ResizeImage = true;
    job.options.Unit = 1;
    job.options.ResizeWidth = "50";
    job.options.ResizeHeight = "50";
    job.options.XResolution = 200;
    job.options.YResolution = 100;
    job.options.KeepPhotoInfo = keep;
    const std::string name = source.substr(source.rfind('/') + 1);
    job.rows.push_back({name, source, rotation});
    ScriptObserver observer;
    Exported run;
    run.result = RunExport(job, observer);
    run.message = observer.messages.empty() ? std::string() : observer.messages.back();
    const std::string stem = name.substr(0, name.rfind('.'));
    run.output = job.options.OutputFolder + "/" + stem + exportFormat(format).extension;
    return run;
}

ZvImage loadKeeping(const std::string &path)
{
    ZvImage picture;
    picture.SetKeepPhotoInfo(true);
    picture.Load(path.c_str(), ImageTypeFromName(path));
    return picture;
}

TEST(ExportPhotoInfo, JpegKeepsCameraFactsAndTellsTheOutputsTruth)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ASSERT_TRUE(haveImageMagick());
    const std::string source = sample("Canon_40D.jpg");
    const Exported run = exportOne(source, -90, true);
    ASSERT_EQ(run.result.saved, 1) << run.message;
    EXPECT_TRUE(run.result.issues.empty()) << run.message;
    const ZvImage out = loadKeeping(run.output);
    ASSERT_EQ(out.GetWidth(), 34u); // 100 x 68 turned, then halved
    ASSERT_EQ(out.GetHeight(), 50u);

    const ZvExifInfo before = exifOf(source), after = exifOf(run.output);
    ASSERT_TRUE(after.isExif) << after.lastError;
    EXPECT_EQ(after.cameraMake, "Canon");
    EXPECT_EQ(after.cameraModel, before.cameraModel);
    EXPECT_EQ(after.dateTime, before.dateTime);
    EXPECT_EQ(after.exposureTime, before.exposureTime);
    EXPECT_EQ(after.fNumber, before.fNumber);
    EXPECT_EQ(after.isoEquivalent, before.isoEquivalent);
    EXPECT_GT(before.thumbnailSize, 0u);
    EXPECT_EQ(after.thumbnailSize, 0u);

    EXPECT_EQ(magickTag(run.output, "Make"), "Canon");
    EXPECT_EQ(magickTag(run.output, "DateTimeOriginal"), magickTag(source, "DateTimeOriginal"));
    EXPECT_EQ(magickTag(run.output, "PixelXDimension"), "34");
    EXPECT_EQ(magickTag(run.output, "PixelYDimension"), "50");
    EXPECT_EQ(magickTag(run.output, "XResolution"), "200/1");
    EXPECT_EQ(magickTag(run.output, "YResolution"), "100/1");
    EXPECT_EQ(magickTag(run.output, "ResolutionUnit"), "2");
    EXPECT_NE(magickTag(source, "thumbnail:JPEGInterchangeFormat"), "");
    EXPECT_EQ(magickTag(run.output, "thumbnail:JPEGInterchangeFormat"), "");
    std::string density;
    runCommand("identify -format '%x %y %U' '" + run.output + "'", &density);
    EXPECT_EQ(density, "200 100 PixelsPerInch");

    // The colour profile is the source's, byte for byte.
    const std::string profile = magickProfile(source);
    ASSERT_GT(profile.size(), 128u);
    EXPECT_TRUE(magickProfile(run.output) == profile);
}

// The camera's orientation turns the picture as ImageMagick's -auto-orient
// does, so the tag written afterwards is 1, with or without the user's turn.
// These files carry a generic RGB profile of gamma 1.8, so the reference
// converts them to sRGB as the export does.
TEST(ExportPhotoInfo, OrientationAppliedAsAReferenceDecoderDoesAndWrittenAsOne)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ASSERT_TRUE(haveImageMagick());
    const std::string srgb = scratchDir() + "/srgb.icc";
    writeFile(srgb, std::string(zvSrgbIccProfile().begin(), zvSrgbIccProfile().end()));
    for (const char *shape : {"landscape", "portrait"}) {
        for (int o = 1; o <= 8; ++o) {
            const std::string source =
                sample("orientation/" + std::string(shape) + "_" + std::to_string(o) + ".jpg");
            const Exported run = exportOne(source, 0, true);
            ASSERT_EQ(run.result.saved, 1) << run.message;
            EXPECT_EQ(exifOf(run.output).orientation, 1) << source;
            std::string ppm;
            runCommand("convert '" + source + "' -profile '" + srgb +
                           "' -auto-orient -resize 50% -depth 8 ppm:- 2>/dev/null",
                       &ppm);
            const Rgb8 reference = parsePpm(ppm);
            const Rgb8 ours = toRgb(loadedFile(run.output));
            ASSERT_EQ(ours.width, reference.width) << source;
            ASSERT_EQ(ours.height, reference.height) << source;
            EXPECT_LT(meanDifference(ours, reference), 8.0) << source; // a mirror differs by ~48
        }
    }
    const std::string source = sample("orientation/landscape_6.jpg");
    for (const int rotation : {90, -90, 180}) {
        const Exported run = exportOne(source, rotation, true);
        ASSERT_EQ(run.result.saved, 1) << run.message;
        EXPECT_EQ(exifOf(run.output).orientation, 1) << rotation;
        EXPECT_EQ(magickTag(run.output, "Orientation"), "1") << rotation;
        const ZvImage out = loadKeeping(run.output);
        EXPECT_EQ(exifOf(run.output).exifWidth, int(out.GetWidth())) << rotation;
        EXPECT_EQ(exifOf(run.output).exifHeight, int(out.GetHeight())) << rotation;
    }
}

TEST(ExportPhotoInfo, GpsAndXmpAreKept)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ASSERT_TRUE(haveImageMagick());
    const Exported gps = exportOne(sample("gps/DSCN0010.jpg"), 0, true);
    ASSERT_EQ(gps.result.saved, 1) << gps.message;
    EXPECT_NE(magickTag(sample("gps/DSCN0010.jpg"), "GPSLatitude"), "");
    EXPECT_EQ(magickTag(gps.output, "GPSLatitude"), magickTag(sample("gps/DSCN0010.jpg"), "GPSLatitude"));
    EXPECT_EQ(magickTag(gps.output, "GPSLongitude"), magickTag(sample("gps/DSCN0010.jpg"), "GPSLongitude"));

    const Exported xmp = exportOne(sample("xmp/BlueSquare.jpg"), 0, true);
    ASSERT_EQ(xmp.result.saved, 1) << xmp.message;
    std::string before, after;
    runCommand("convert '" + sample("xmp/BlueSquare.jpg") + "' xmp:- 2>/dev/null", &before);
    runCommand("convert '" + xmp.output + "' xmp:- 2>/dev/null", &after);
    ASSERT_GT(before.size(), 100u);
    EXPECT_EQ(after, before);
}

TEST(ExportPhotoInfo, WithoutTheOptionNothingIsCopied)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ASSERT_TRUE(haveImageMagick());
    for (int format : {kFormatJpeg, 5, 4}) {
        const Exported run = exportOne(sample("Canon_40D.jpg"), 0, false, format);
        ASSERT_EQ(run.result.saved, 1) << run.message;
        EXPECT_FALSE(exifOf(run.output).isExif);
        EXPECT_EQ(magickTag(run.output, "Make"), "");
        EXPECT_EQ(magickProfile(run.output), "") << format;
        EXPECT_EQ(loadKeeping(run.output).GetPhotoInfo(), nullptr) << format;
    }
}

TEST(ExportPhotoInfo, ProfileSurvivesIntoJpegPngAndTiff)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ZV_REQUIRE_CORPUS("gif-test-suite-ancell");
    ASSERT_TRUE(haveImageMagick());
    const std::string icc = corporaDir() + "/gif-test-suite-ancell/sRGB.icc";
    const std::string source = freshFolder("meta-icc") + "/tagged.jpg";
    ASSERT_EQ(runCommand("convert '" + sample("Canon_40D.jpg") + "' +profile '*' -profile '" + icc + "' '" +
                         source + "'"),
              0);
    const std::string profile = readFile(icc);
    ASSERT_TRUE(magickProfile(source) == profile);
    for (int format : {kFormatJpeg, 5, 4}) { // JPEG, PNG, TIFF
        const Exported run = exportOne(source, 90, true, format);
        ASSERT_EQ(run.result.saved, 1) << run.message;
        EXPECT_TRUE(run.result.issues.empty()) << run.message;
        EXPECT_TRUE(magickProfile(run.output) == profile) << format;
        const ZvImage back = loadKeeping(run.output);
        ASSERT_NE(back.GetPhotoInfo(), nullptr) << format;
        EXPECT_TRUE(std::string(back.GetPhotoInfo()->icc.begin(), back.GetPhotoInfo()->icc.end()) == profile);
    }
    // The camera's own profile is a slightly wrong sRGB profile that libpng
    // knows; it goes into the PNG all the same, byte for byte.
    const Exported canon = exportOne(sample("Canon_40D.jpg"), 0, true, 5);
    const ZvImage back = loadKeeping(canon.output);
    ASSERT_NE(back.GetPhotoInfo(), nullptr);
    EXPECT_TRUE(std::string(back.GetPhotoInfo()->icc.begin(), back.GetPhotoInfo()->icc.end()) ==
                magickProfile(sample("Canon_40D.jpg")));
    EXPECT_TRUE(back.GetPhotoInfo()->exif.empty());
}

// The EXIF directory link of the first APP1 "Exif" segment points outside the block.
std::string damagedCopy(const std::string &source, const std::string &path)
{
    std::string bytes = readFile(source);
    const std::size_t app1 = bytes.find("Exif\0\0", 0, 6);
    EXPECT_NE(app1, std::string::npos);
    const std::size_t tiff = app1 + 6;
    const bool motorola = bytes[tiff] == 'M';
    auto u16 = [&](std::size_t at) {
        const auto b0 = std::uint8_t(bytes[at]), b1 = std::uint8_t(bytes[at + 1]);
        return motorola ? b0 << 8 | b1 : b1 << 8 | b0;
    };
    auto u32 = [&](std::size_t at) {
        return motorola ? std::uint32_t(u16(at)) << 16 | u16(at + 2)
                        : std::uint32_t(u16(at + 2)) << 16 | u16(at);
    };
    const std::size_t ifd0 = tiff + u32(tiff + 4);
    for (int i = 0; i < u16(ifd0); ++i) {
        const std::size_t entry = ifd0 + 2 + 12 * std::size_t(i);
        if (u16(entry) == 0x8769)
            for (int k = 0; k < 4; ++k)
                bytes[entry + 8 + k] = char(0x7F);
    }
    writeFile(path, bytes);
    return path;
}

TEST(ExportPhotoInfo, DamagedExifIsNeverCopiedAndTheSummarySaysSo)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    ASSERT_TRUE(haveImageMagick());
    const std::string source = damagedCopy(sample("Canon_40D.jpg"), freshFolder("meta-bad") + "/broken.jpg");
    const Exported run = exportOne(source, 0, true);
    ASSERT_EQ(run.result.saved, 1) << run.message;
    ASSERT_EQ(run.result.issues.size(), 1u) << run.message;
    EXPECT_EQ(run.result.issues[0].text.rfind("saved without its EXIF information: damaged EXIF block (", 0),
              0u)
        << run.result.issues[0].text;
    EXPECT_NE(run.message.find("\n[broken.jpg] saved without its EXIF information"), std::string::npos);
    EXPECT_FALSE(exifOf(run.output).isExif);
    EXPECT_EQ(magickTag(run.output, "Make"), "");
    EXPECT_TRUE(magickProfile(run.output) == magickProfile(sample("Canon_40D.jpg"))); // the profile is sound

    // Without the option the same picture goes out without a word.
    EXPECT_TRUE(exportOne(source, 0, false).result.issues.empty());
}

TEST(ExportPhotoInfo, InvalidSamplesExportOrFailCleanly)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    for (const std::string &path : listFiles(corporaDir() + "/exif-samples/jpg/invalid", ".jpg")) {
        const Exported run = exportOne(path, 90, true);
        if (run.result.saved == 1 && exifOf(run.output).isExif) {
            ZvImage out = loadKeeping(run.output);
            ASSERT_NE(out.GetPhotoInfo(), nullptr) << path;
            const Bytes &exif = out.GetPhotoInfo()->exif;
            ZvExifEditor editor;
            EXPECT_TRUE(editor.Parse(exif.data(), exif.size())) << path << ": " << editor.Problem();
        }
    }
}

// A profile header of the given colour space, as zvIccColourSpace reads it.
Bytes profileFor(const char *space)
{
    Bytes icc(132, 0);
    icc[3] = 132;
    std::memcpy(icc.data() + 16, space, 4);
    std::memcpy(icc.data() + 36, "acsp", 4);
    return icc;
}

TEST(ExportPhotoInfo, ProfilesMustFitTheOutputsColours)
{
    struct Case
    {
        const char *space;
        bool grey;
        std::uint32_t type;
        bool kept;
    };
    const Case cases[] = {
        {"RGB ", false, ZV_TYPE_JPG, true},  {"GRAY", true, ZV_TYPE_JPG, true},
        {"RGB ", true, ZV_TYPE_JPG, false},  {"GRAY", false, ZV_TYPE_TIF, false},
        {"CMYK", false, ZV_TYPE_JPG, false}, {"RGB ", false, ZV_TYPE_BMP, false},
    };
    for (const Case &c : cases) {
        ZvImage picture(8, 8, c.grey ? 8 : 24);
        if (c.grey)
            picture.SetGrayPalette();
        picture.SetKeepPhotoInfo(true);
        auto info = std::make_shared<ZvPhotoInfo>();
        info->icc = profileFor(c.space);
        picture.SetPhotoInfo(info);
        const std::vector<std::string> notes = fitPhotoInfo(picture, c.type, false);
        const bool kept = picture.GetPhotoInfo() && !picture.GetPhotoInfo()->icc.empty();
        EXPECT_EQ(kept, c.kept) << c.space << " grey " << c.grey << " type " << c.type;
        EXPECT_EQ(notes.size(), c.kept || c.type == ZV_TYPE_BMP ? 0u : 1u) << c.space;
    }
    ZvImage picture(8, 8, 24);
    picture.SetKeepPhotoInfo(true);
    auto info = std::make_shared<ZvPhotoInfo>();
    info->icc = profileFor("CMYK");
    picture.SetPhotoInfo(info);
    EXPECT_EQ(
        fitPhotoInfo(picture, ZV_TYPE_JPG, false),
        std::vector<std::string>{"saved without its colour profile: its colour space CMYK does not fit a "
                                 "colour picture"});
    picture.SetPhotoInfo(info);
    picture.SetKeepPhotoInfo(false);
    EXPECT_TRUE(fitPhotoInfo(picture, ZV_TYPE_JPG, false).empty()); // not kept: not looked at
    picture.SetKeepPhotoInfo(true);
    info = std::make_shared<ZvPhotoInfo>();
    info->icc = profileFor("RGB ");
    info->icc[3] = 133; // the size field disagrees with the length
    picture.SetPhotoInfo(info);
    EXPECT_EQ(fitPhotoInfo(picture, ZV_TYPE_PNG, false),
              std::vector<std::string>{"saved without its colour profile: damaged profile"});

    // Through a whole export the profile is fitted to the output's type: a
    // grey JPEG keeps its grey profile as JPEG, not as PNG, which holds the
    // grey levels as a palette.
    ZvImage grey(16, 16, 8, ZV_TYPE_JPG);
    grey.SetGrayPalette();
    grey.SetKeepPhotoInfo(true);
    info = std::make_shared<ZvPhotoInfo>();
    info->icc = testGreyProfile();
    grey.SetPhotoInfo(info);
    const std::string source = freshFolder("meta-grey") + "/grey.jpg";
    ASSERT_TRUE(grey.Save(source.c_str(), ZV_TYPE_JPG));
    const Exported asJpeg = exportOne(source, 0, true);
    ASSERT_EQ(asJpeg.result.saved, 1) << asJpeg.message;
    EXPECT_TRUE(asJpeg.result.issues.empty()) << asJpeg.message;
    const ZvImage jpeg = loadKeeping(asJpeg.output);
    ASSERT_NE(jpeg.GetPhotoInfo(), nullptr);
    EXPECT_EQ(jpeg.GetPhotoInfo()->icc, info->icc);
    const Exported asPng = exportOne(source, 0, true, 5);
    ASSERT_EQ(asPng.result.saved, 1) << asPng.message;
    ASSERT_EQ(asPng.result.issues.size(), 1u) << asPng.message;
    EXPECT_EQ(asPng.result.issues[0].text,
              "saved without its colour profile: its colour space GRAY does not fit a colour picture");
    EXPECT_EQ(loadKeeping(asPng.output).GetPhotoInfo(), nullptr);
}

TEST(ExportPhotoInfo, XmpOrientationFollowsTheTurn)
{
    const std::string text =
        "<x tiff:Orientation=\"6\" exif:Other=\"6\"/><tiff:Orientation>8</tiff:Orientation>"
        "tiff:Orientation = '3'";
    Bytes packet(text.begin(), text.end());
    xmpSetOrientationUpright(packet);
    EXPECT_EQ(std::string(packet.begin(), packet.end()),
              "<x tiff:Orientation=\"1\" exif:Other=\"6\"/><tiff:Orientation>1</tiff:Orientation>"
              "tiff:Orientation = '1'");
}

TEST(ExportPhotoInfo, OptionIsStoredOnlyOnceUsed)
{
    const std::string path = freshFolder("meta-profile") + "/zelventa.ini";
    ProfileStore store(path);
    ExportOptions options;
    EXPECT_FALSE(options.KeepPhotoInfo);
    ASSERT_TRUE(options.Save(store));
    EXPECT_EQ(readFile(path).find("KeepPhotoInfo"), std::string::npos); // an old profile stays as it was
    options.KeepPhotoInfo = true;
    ASSERT_TRUE(options.Save(store));
    ExportOptions back;
    back.Load(store);
    EXPECT_TRUE(back.KeepPhotoInfo);
    back.KeepPhotoInfo = false;
    ASSERT_TRUE(back.Save(store));
    EXPECT_NE(readFile(path).find("\nKeepPhotoInfo=0\n"), std::string::npos);
    ExportOptions again;
    again.KeepPhotoInfo = true;
    again.Load(store);
    EXPECT_FALSE(again.KeepPhotoInfo);
    // Turning pictures upright is the other way round: on unless stored off,
    // and once stored the key follows the setting back on.
    EXPECT_TRUE(again.AutoOrient);
    EXPECT_EQ(readFile(path).find("AutoOrient"), std::string::npos);
    again.AutoOrient = false;
    ASSERT_TRUE(again.Save(store));
    again.AutoOrient = true;
    ASSERT_TRUE(again.Save(store));
    EXPECT_NE(readFile(path).find("\nAutoOrient=1\n"), std::string::npos);
}

// WebP, AVIF and JPEG XL carry the same information as JPEG: EXIF made
// true of the output (turned: orientation 1; the new size) and the colour
// profile.
TEST(ExportPhotoInfo, NewerFormatsKeepWhatJpegKeeps)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    const std::string source = sample("Canon_40D.jpg");
    const std::string profile = magickProfile(source);
    for (const int format : {kFormatWebp, kFormatAvif, kFormatJxl}) {
        const Exported run = exportOne(source, 90, true, format, "meta-new");
        ASSERT_EQ(run.result.saved, 1) << run.message;
        EXPECT_TRUE(run.result.issues.empty()) << run.message;
        const ZvImage out = loadKeeping(run.output);
        ASSERT_EQ(out.GetWidth(), 34u) << format;
        ASSERT_NE(out.GetPhotoInfo(), nullptr) << format;
        ZvExifInfo exif;
        ASSERT_TRUE(exif.ParseExif(out.GetPhotoInfo()->exif.data(), out.GetPhotoInfo()->exif.size()))
            << format;
        EXPECT_EQ(exif.cameraMake, "Canon") << format;
        EXPECT_EQ(exif.exifWidth, 34) << format;
        EXPECT_EQ(exif.orientation, 1) << format;
        // libjxl stores a profile it recognises (this sRGB one) as its own
        // colour description, so JPEG XL gives no bytes back.
        const std::vector<std::uint8_t> &icc = out.GetPhotoInfo()->icc;
        if (format != kFormatJxl) {
            EXPECT_TRUE(std::string(icc.begin(), icc.end()) == profile) << format;
        }
    }
    // Without the option nothing goes in.
    const Exported bare = exportOne(source, 0, false, kFormatWebp, "meta-new-bare");
    EXPECT_EQ(loadKeeping(bare.output).GetPhotoInfo(), nullptr);
}

TEST(ExportPhotoInfo, BatchFlagKeepsTheInformation)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    const std::string out = freshFolder("meta-cli");
    std::string ignored;
    const std::string tool = std::string(ZV_BINARY_DIR) + "/app/zelventa-batch";
    const std::string source = sample("Canon_40D.jpg");
    EXPECT_EQ(runCommand("'" + tool + "' --folder '" + out +
                             "' --no-caption --format jpeg --keep-metadata '" + source +
                             "' </dev/null 2>/dev/null",
                         &ignored),
              0);
    EXPECT_EQ(exifOf(out + "/Canon_40D.JPG").cameraMake, "Canon");
    EXPECT_EQ(runCommand("'" + tool + "' --folder '" + out + "' --no-caption --format png --overwrite yes '" +
                             source + "' </dev/null 2>/dev/null",
                         &ignored),
              0);
    ZvImage png = loadKeeping(out + "/Canon_40D.PNG");
    EXPECT_EQ(png.GetPhotoInfo(), nullptr);
}

} // namespace
