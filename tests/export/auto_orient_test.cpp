// tests/export/auto_orient_test.cpp
// Pictures exported upright as the camera held them, with the user's turn
// on top, the EXIF orientation written to match, and the switch that
// keeps the stored pixels.
#include "export/export_run.h"
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/streams/io_file.h"
#include "tests/export/export_test_support.h"
#include "tests/support/oriented_picture.h"

#include <gtest/gtest.h>

namespace {

struct Output
{
    ZvImage picture;
    int orientation = -1; // as the output's EXIF block says; 0 none
    std::string message;
};

struct Turn
{
    int rotation = 0;
    bool autoOrient = true;
    bool resize = false; // to half the size, so a JPEG decodes reduced
    int format = kFormatJpeg;
    std::optional<CaptionSettings> caption;
};

int formatOf(ImageType type)
{
    int i = 0;
    while (i < kExportFormatCount && exportFormat(i).type != type)
        ++i;
    return i;
}

Output exportOne(const std::string &source, const Turn &turn)
{
    static int counter = 0;
    ExportJob job;
    job.options.OutputFolder = freshFolder("orient-out" + std::to_string(counter++));
    job.options.Format = turn.format;
    job.options.KeepPhotoInfo = true;
    job.options.AutoOrient = turn.autoOrient;
    job.options.JpegQuality = 95;
    if (turn.resize) {
        job.options.ResizeImage = true;
        job.options.Unit = 1;
        job.options.ResizeWidth = "50";
        job.options.ResizeHeight = "50";
    }
    job.caption = turn.caption;
    job.rows.push_back(rowFor(source, turn.rotation));
    ScriptObserver observer;
    const ExportResult result = RunExport(job, observer);
    Output out;
    out.message = observer.messages.empty() ? result.headline : observer.messages.back();
    if (result.saved != 1)
        return out;
    const std::string stem = source.substr(source.rfind('/') + 1, source.rfind('.') - source.rfind('/') - 1);
    const std::string path = job.options.OutputFolder + "/" + stem + exportFormat(turn.format).extension;
    out.picture = loadedFile(path);
    ZvImageJPG codec;
    ZvIOFile file;
    if (turn.format == kFormatJpeg && file.Open(path.c_str(), "rb"))
        codec.DecodeExif(&file);
    out.orientation = codec.GetExifInfo().orientation;
    return out;
}

} // namespace

TEST(AutoOrient, EveryTagIsExportedUprightAndWrittenAsOne)
{
    const std::string src = freshFolder("orient-src");
    for (int o = 1; o <= 8; ++o) {
        const std::string path = src + "/tag" + std::to_string(o) + ".jpg";
        ASSERT_TRUE(writeOrientedJpeg(path, 48, 32, o));
        for (const bool resize : {false, true}) {
            Turn turn;
            turn.resize = resize;
            const Output out = exportOne(path, turn);
            ASSERT_TRUE(out.picture.IsValid()) << o << ": " << out.message;
            const int scale = resize ? 2 : 1;
            EXPECT_EQ(out.picture.GetWidth(), std::uint32_t((o >= 5 ? 32 : 48) / scale)) << o;
            EXPECT_EQ(out.picture.GetHeight(), std::uint32_t((o >= 5 ? 48 : 32) / scale)) << o;
            EXPECT_EQ(markedCorner(toRgb(out.picture)), uprightCorner(o)) << o << " resize " << resize;
            EXPECT_EQ(out.orientation, 1) << o;
        }
    }
}

// Stored 48 x 32 with tag 6: upright it is 32 x 48 with the mark top right.
TEST(AutoOrient, TheUsersTurnComesOnTopAndTheSwitchKeepsTheStoredPixels)
{
    const std::string src = freshFolder("orient-turn");
    const std::string six = src + "/six.jpg";
    ASSERT_TRUE(writeOrientedJpeg(six, 48, 32, 6));
    const struct
    {
        int rotation;
        bool autoOrient;
        std::uint32_t width;
        const char *corner;
        int written;
    } cases[] = {
        {0, true, 32, "top-right", 1},
        {-90, true, 48, "top-left", 1}, // the user turned it back: stored pixels, but no longer tag 6
        {90, true, 48, "bottom-right", 1},
        {180, true, 32, "bottom-left", 1},
        {0, false, 48, "top-left", 6}, // nothing turned: the tag still tells viewers
        {90, false, 32, "top-right", 1},
    };
    for (const auto &c : cases) {
        Turn turn;
        turn.rotation = c.rotation;
        turn.autoOrient = c.autoOrient;
        const Output out = exportOne(six, turn);
        ASSERT_TRUE(out.picture.IsValid()) << out.message;
        EXPECT_EQ(out.picture.GetWidth(), c.width) << c.rotation << " " << c.autoOrient;
        EXPECT_EQ(markedCorner(toRgb(out.picture)), c.corner) << c.rotation << " " << c.autoOrient;
        EXPECT_EQ(out.orientation, c.written) << c.rotation << " " << c.autoOrient;
    }
    // A picture that says it is upright keeps saying so, turned or not.
    const std::string one = src + "/one.jpg";
    ASSERT_TRUE(writeOrientedJpeg(one, 48, 32, 1));
    EXPECT_EQ(exportOne(one, Turn()).orientation, 1);

    // The caption keeps its corner on the upright picture: a blue box at
    // the bottom right of 32 x 48, not of the stored 48 x 32.
    Turn boxed;
    boxed.format = formatOf(ZV_TYPE_PNG); // exact colours
    boxed.caption = CaptionSettings();
    boxed.caption->text.clear();
    boxed.caption->backColor = RGB(0, 0, 255);
    boxed.caption->anchor = CaptionAnchor::BottomRight;
    boxed.caption->offsets = {10, 8, 2, 2};
    const Output png = exportOne(six, boxed);
    ASSERT_EQ(png.picture.GetWidth(), 32u) << png.message;
    EXPECT_EQ(colourAt(png.picture, 32 - 5, 48 - 5), RGB(0, 0, 255));
    EXPECT_EQ(colourAt(png.picture, 32 - 5, 48 - 12), RGB(255, 255, 255));
}
