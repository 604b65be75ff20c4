// tests/export/caption_fields_test.cpp
// The caption's fields in a real run: each picture is stamped with its own
// values, the counter is the number its file name carries, and the summary
// names the pictures a value was missing for.
#include "caption/caption_render.h"
#include "export/export_run.h"
#include "tests/export/export_test_support.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

CaptionSettings fieldCaption(const char *text)
{
    CaptionSettings c;
    c.text = QString::fromUtf8(text);
    c.backColor = RGB(255, 255, 255);
    c.offsets = {0, 0, 120, 30};
    return c;
}

// The source stamped with text by hand: what the run must have written.
ZvImage expected(const std::string &source, const char *text)
{
    ZvImage picture = loadedFile(source);
    EXPECT_TRUE(StampCaption(picture, fieldCaption(text)));
    return picture;
}

bool samePixels(const ZvImage &a, const ZvImage &b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (int y = 0; y < int(a.GetHeight()); ++y) {
        for (int x = 0; x < int(a.GetWidth()); ++x) {
            if (colourAt(a, x, y) != colourAt(b, x, y))
                return false;
        }
    }
    return true;
}

} // namespace

TEST(CaptionFields, EachPictureGetsItsNameAndTheNumberItsFileCarries)
{
    const std::string src = freshFolder("fields-src");
    const std::string out = freshFolder("fields-out");
    std::ofstream(out + "/Pic0000.BMP") << "taken"; // the run's numbers start at 1
    ExportJob job;
    job.rows = {rowFor(writePicture(src + "/a.png", 120, 60, ZV_TYPE_PNG)), rowFor(src + "/gone.png"),
                rowFor(writePicture(src + "/b.png", 120, 60, ZV_TYPE_PNG))};
    job.options.OutputFolder = out;
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Prefix = "Pic";
    job.options.Format = 3; // BMP: the pixels come back exactly
    job.caption = fieldCaption("%{file} %{counter}%{make}");
    job.jobs = 2; // made ahead, before the run knows which number is free
    ScriptObserver obs;
    const ExportResult r = RunExport(job, obs);
    ASSERT_EQ(r.saved, 2);
    // The unreadable picture takes no number: b.png is written as 2, as its
    // caption must say although it was made expecting 3.
    EXPECT_TRUE(samePixels(loadedFile(out + "/Pic0001.BMP"), expected(job.rows[0].path, "a.png 1")));
    EXPECT_TRUE(samePixels(loadedFile(out + "/Pic0002.BMP"), expected(job.rows[2].path, "b.png 2")));
    EXPECT_FALSE(samePixels(loadedFile(out + "/Pic0001.BMP"), expected(job.rows[0].path, "a.png 2")));
    ASSERT_FALSE(obs.messages.empty());
    const std::string &summary = obs.messages.back();
    EXPECT_EQ(summary.substr(summary.rfind('\n') + 1), "no camera make: a.png, b.png");

    // Without counter names the number is the place in the run; a picture
    // without a date taken shows its file's time, and the summary says so.
    const std::string plain = freshFolder("fields-plain");
    job.options.NameMode = ExportNameMode::Keep;
    job.options.OutputFolder = plain;
    job.rows.erase(job.rows.begin() + 1);
    job.caption = fieldCaption("%{counter}%{date:}");
    ScriptObserver second;
    ASSERT_EQ(RunExport(job, second).saved, 2);
    EXPECT_TRUE(samePixels(loadedFile(plain + "/b.BMP"), expected(job.rows[1].path, "2")));
    EXPECT_EQ(second.messages.back().substr(second.messages.back().rfind('\n') + 1),
              "no date taken, the file's time shown: a.png, b.png");
}
