// tests/export/export_run_test.cpp
// The batch run over real small pictures: naming, questions, cancelling,
// failures, and the pixels of what it writes.
#include "export/export_run.h"
#include "platform/profile_store.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

ExportJob counterJob(const std::string &out, std::vector<ExportRow> rows)
{
    ExportJob job;
    job.rows = std::move(rows);
    job.options.OutputFolder = out;
    job.options.NameMode = ExportNameMode::Counter;
    job.options.Format = kFormatJpeg;
    job.caption.reset();
    return job;
}

// A red box with no text, 10 pixels in from the right and 5 up from the bottom.
CaptionSettings redBox()
{
    CaptionSettings c;
    c.text.clear();
    c.backColor = kRed;
    c.anchor = CaptionAnchor::BottomRight;
    c.offsets = {30, 20, 10, 5};
    return c;
}

// Whether pixel (x, y), counted from the top row, is see-through.
bool clearAt(const ZvImage &p, int x, int y)
{
    const int row = int(p.GetHeight()) - 1 - y;
    if (p.AlphaIsValid())
        return p.AlphaGet(x, row) < 128;
    if (p.GetTransIndex() < 0)
        return false;
    if (p.IsIndexed())
        return p.GetPixelIndex(x, row) == p.GetTransIndex();
    const RGBQUAD k = p.GetTransColor(), c = p.GetPixelColor(x, row, false);
    return k.rgbRed == c.rgbRed && k.rgbGreen == c.rgbGreen && k.rgbBlue == c.rgbBlue;
}

// An 8-bit picture with palette (entry -> colour) and pixel(x, y) -> entry, y from the top.
template <class Pixel> ZvImage indexedPicture(int w, int h, const std::vector<COLORREF> &palette, Pixel pixel)
{
    ZvImage picture(std::uint32_t(w), std::uint32_t(h), 8, ZV_TYPE_GIF);
    for (std::size_t i = 0; i < palette.size(); ++i)
        picture.SetPaletteColor(
            std::uint8_t(i), RGBQUAD{GetBValue(palette[i]), GetGValue(palette[i]), GetRValue(palette[i]), 0});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture.SetPixelIndex(x, h - 1 - y, std::uint8_t(pixel(x, y)));
    return picture;
}

} // namespace

TEST(ExportRun, CounterNamesInAnEmptyFolderAndTheSummary)
{
    const std::string src = freshFolder("count-src"), out = freshFolder("count-out");
    std::vector<ExportRow> rows;
    for (const char *name : {"a.jpg", "b.png", "c.bmp"})
        rows.push_back(rowFor(writePicture(src + "/" + name, 40, 30, ImageTypeFromName(name))));
    ScriptObserver obs;
    const ExportResult r = RunExport(counterJob(out, rows), obs);
    EXPECT_EQ(r.end, ExportEnd::Finished);
    EXPECT_EQ(r.saved, 3);
    for (const char *name : {"Photo0000.JPG", "Photo0001.JPG", "Photo0002.JPG"})
        EXPECT_EQ(loadedFile(out + "/" + name).GetWidth(), 40u) << name;
    EXPECT_EQ(obs.range, 3);
    EXPECT_EQ(obs.steps, 3);
    ASSERT_EQ(obs.texts.size(), 7u);
    EXPECT_EQ(obs.texts[0], "Export image file:");
    EXPECT_EQ(obs.texts[1], "Export image file:\r\n[a.jpg]");
    EXPECT_EQ(obs.texts[2], "Export image file:\r\n[a.jpg] as [Photo0000.JPG]");
    EXPECT_EQ(obs.texts[6], "Export image file:\r\n[c.bmp] as [Photo0002.JPG]");
    EXPECT_EQ(obs.messages, std::vector<std::string>{"3 files saved to [" + out + "]!"});

    // A second run fills on from the lowest free number, whatever the case.
    fs::rename(out + "/Photo0000.JPG", out + "/photo0000.jpg");
    fs::remove(out + "/Photo0001.JPG");
    ScriptObserver again;
    EXPECT_EQ(RunExport(counterJob(out, {rows[0]}), again).saved, 1);
    EXPECT_TRUE(fs::exists(out + "/Photo0001.JPG"));
}

TEST(ExportRun, OriginalFormatInTheSourceFolderAsksAndAnswersAreKept)
{
    const std::string src = freshFolder("orig");
    std::vector<ExportRow> rows;
    for (const char *name : {"a.png", "b.png", "c.png"})
        rows.push_back(rowFor(writePicture(src + "/" + name, 30, 20, ZV_TYPE_PNG)));
    const std::string before = readFile(rows[1].path);
    ExportJob job;
    job.rows = rows;
    job.options.FolderMode = ExportFolderMode::PictureFolder;
    job.caption = redBox();

    ScriptObserver no;
    ExportResult r = RunExport(job, no);
    EXPECT_EQ(no.originals, (std::vector<std::string>{rows[0].path, rows[1].path, rows[2].path}));
    EXPECT_TRUE(no.asked.empty());
    EXPECT_EQ(r.saved, 0);
    const std::string kept = "already exists and is one of the original photographs; it was kept";
    EXPECT_EQ(no.messages.back(), "0 files saved to [" + src + "/]!\n[a.png] not saved: [a.png] " + kept +
                                      "\n[b.png] not saved: [b.png] " + kept +
                                      "\n[c.png] not saved: [c.png] " + kept);
    EXPECT_EQ(readFile(rows[1].path), before);

    ScriptObserver mixed;
    mixed.answers = {OverwriteAnswer::Yes, OverwriteAnswer::Cancel};
    r = RunExport(job, mixed);
    EXPECT_EQ(r.end, ExportEnd::Cancelled);
    EXPECT_EQ(r.saved, 1);
    EXPECT_EQ(mixed.originals.size(), 2u); // the third picture is never reached
    EXPECT_EQ(colourAt(loadedFile(rows[0].path), 10, 10), kRed);
    EXPECT_EQ(readFile(rows[1].path), before);
    EXPECT_EQ(mixed.messages.back(), "1 files saved to [" + src + "/]!");
}

TEST(ExportRun, CancelFromTheProgressEndsAfterTheCurrentPicture)
{
    const std::string src = freshFolder("cancel-src"), out = freshFolder("cancel-out");
    std::vector<ExportRow> rows;
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        rows.push_back(rowFor(writePicture(src + "/" + name, 16, 16, ZV_TYPE_BMP)));
    ScriptObserver obs;
    obs.cancelWhen = [](int done) { return done == 2; };
    const ExportResult r = RunExport(counterJob(out, rows), obs);
    EXPECT_EQ(r.end, ExportEnd::Cancelled);
    EXPECT_EQ(r.saved, 2);
    EXPECT_EQ(obs.steps, 1);
    EXPECT_EQ(obs.messages.back(), "2 files saved to [" + out + "]!");
    EXPECT_FALSE(fs::exists(out + "/Photo0002.JPG"));
}

// The box lands at the same distance from the bottom-right corner of every
// picture, after the turn, and nothing else changes.
TEST(ExportRun, CaptionBoxLandsOnTheTurnedPictureAndNowhereElse)
{
    const std::string src = freshFolder("box-src"), out = freshFolder("box-out");
    struct Shape
    {
        int w, h;
        int rotation;
        int ow, oh;
    };
    const Shape shapes[] = {
        {60, 40, 90, 40, 60}, {64, 48, 0, 64, 48}, {33, 80, -90, 80, 33}, {50, 50, 180, 50, 50}};
    for (const Shape &s : shapes) {
        const std::string path = writePicture(src + "/p.bmp", s.w, s.h, ZV_TYPE_BMP);
        ExportJob job;
        job.rows = {rowFor(path, s.rotation)};
        job.options.OutputFolder = out;
        job.options.Format = 3;
        job.caption = redBox();
        ScriptObserver obs;
        obs.answers = {OverwriteAnswer::Yes};
        ASSERT_EQ(RunExport(job, obs).saved, 1);
        const ZvImage result = loadedFile(out + "/p.BMP");
        ASSERT_EQ(int(result.GetWidth()), s.ow);
        ASSERT_EQ(int(result.GetHeight()), s.oh);
        ZvImage turned = makePattern24(s.w, s.h);
        if (s.rotation == 90)
            turned.RotateRight();
        else if (s.rotation == -90)
            turned.RotateLeft();
        else if (s.rotation == 180)
            turned.Rotate180();
        for (int y = 0; y < s.oh; ++y) {
            for (int x = 0; x < s.ow; ++x) {
                const bool inBox = x >= s.ow - 30 && x < s.ow - 10 && y >= s.oh - 20 && y < s.oh - 5;
                ASSERT_EQ(colourAt(result, x, y), inBox ? kRed : colourAt(turned, x, y))
                    << s.w << "x" << s.h << " turned " << s.rotation << " at " << x << "," << y;
            }
        }
    }
}

TEST(ExportRun, UnreadableAndUnwritablePicturesAreReportedAndTheRunGoesOn)
{
    const std::string src = freshFolder("bad-src"), out = freshFolder("bad-out");
    writeFile(src + "/broken.jpg", "not a picture at all");
    fs::create_directory(out + "/good.BMP"); // a folder where the output would go
    const ExportRow rows[] = {rowFor(src + "/missing.jpg"), rowFor(src + "/broken.jpg"),
                              rowFor(writePicture(src + "/good.png", 8, 8, ZV_TYPE_PNG)),
                              rowFor(writePicture(src + "/fine.png", 8, 8, ZV_TYPE_PNG))};
    ExportJob job;
    job.rows.assign(std::begin(rows), std::end(rows));
    job.options.OutputFolder = out;
    job.options.Format = 3;
    ScriptObserver obs;
    obs.answers = {OverwriteAnswer::Yes};
    const ExportResult r = RunExport(job, obs);
    EXPECT_EQ(r.end, ExportEnd::Finished);
    EXPECT_EQ(r.saved, 1);
    EXPECT_TRUE(fs::exists(out + "/fine.BMP"));
    ASSERT_EQ(r.issues.size(), 3u);
    EXPECT_EQ(r.issues[0].name, "missing.jpg");
    EXPECT_EQ(r.issues[0].text, "not saved: No such file or directory");
    EXPECT_EQ(r.issues[0].kind, ZvErrorKind::NotFound);
    EXPECT_EQ(r.issues[1].name, "broken.jpg");
    EXPECT_EQ(r.issues[1].text.rfind("not saved: ", 0), 0u);
    EXPECT_GT(r.issues[1].text.size(), 11u);
    EXPECT_EQ(r.issues[1].kind, ZvErrorKind::BadData);
    EXPECT_EQ(r.issues[2].name, "good.png");
    EXPECT_EQ(r.issues[2].text, "not saved: cannot write " + out + "/good.BMP: Is a directory");
    EXPECT_EQ(r.issues[2].kind, ZvErrorKind::Io);
    const std::string message = obs.messages.back();
    EXPECT_EQ(message.substr(0, message.find('\n')), "1 files saved to [" + out + "]!");
    EXPECT_NE(message.find("\n[missing.jpg] not saved: No such file or directory"), std::string::npos);
}

TEST(ExportRun, AnImpossibleResizeSavesThePictureAtItsSize)
{
    const std::string src = freshFolder("size-src"), out = freshFolder("size-out");
    const std::string path = writePicture(src + "/p.png", 64, 48, ZV_TYPE_PNG);
    struct Case
    {
        const char *w, *h;
        bool aspect;
        const char *note;
    };
    const Case cases[] = {
        {"wide", "600", false, "saved at 64 x 48, not resized: cannot resize to 0 x 600"},
        {"wide", "600", true, "saved at 64 x 48, not resized: cannot resize to 0 x 0"},
        {"-5", "10", false, "saved at 64 x 48, not resized: cannot resize to -5 x 10"},
        {"100000", "100000", false,
         "saved at 64 x 48, not resized: resize to 100000 x 100000 exceeds the memory limit"},
    };
    for (const Case &c : cases) {
        ExportJob job;
        job.rows = {rowFor(path), rowFor(path)};
        job.options.OutputFolder = out;
        job.options.NameMode = ExportNameMode::Counter;
        job.options.ResizeImage = true;
        job.options.ResizeWidth = c.w;
        job.options.ResizeHeight = c.h;
        job.options.AspectRatio = c.aspect;
        job.options.RestrictWidth = false;
        job.options.RestrictHeight = c.aspect;
        ScriptObserver obs;
        const ExportResult r = RunExport(job, obs);
        EXPECT_EQ(r.saved, 2) << c.w;
        ASSERT_EQ(r.issues.size(), 2u) << c.w;
        EXPECT_EQ(r.issues[0].text, c.note);
        EXPECT_EQ(loadedFile(out + "/Photo0000.png").GetWidth(), 64u);
        fs::remove(out + "/Photo0000.png");
        fs::remove(out + "/Photo0001.png");
    }
}

TEST(ExportRun, AVanishedOutputFolderEndsTheRunWithAMessage)
{
    const std::string src = freshFolder("gone-src");
    std::vector<ExportRow> rows;
    for (const char *name : {"a.bmp", "b.bmp"})
        rows.push_back(rowFor(writePicture(src + "/" + name, 8, 8, ZV_TYPE_BMP)));
    for (ExportNameMode nameMode : {ExportNameMode::Counter, ExportNameMode::Keep}) {
        const std::string out = freshFolder("gone-out");
        ExportJob job = counterJob(out, rows);
        job.options.NameMode = nameMode;
        ScriptObserver obs;
        obs.cancelWhen = [&](int) {
            fs::remove_all(out);
            return false;
        };
        const ExportResult r = RunExport(job, obs);
        EXPECT_EQ(r.end, ExportEnd::FolderUnavailable);
        EXPECT_EQ(r.saved, 1);
        EXPECT_EQ(obs.messages.back(),
                  "Cannot write into the output folder [" + out + "]: No such file or directory");
        EXPECT_FALSE(fs::exists(out)); // never created
    }
}

TEST(ExportRun, AllCounterNamesTakenEndsTheRunWithoutASummary)
{
    const std::string src = freshFolder("full-src"), out = freshFolder("full-out");
    for (int n = 0; n < 10000; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "/Photo%04d.JPG", n);
        writeFile(out + name, "");
    }
    ScriptObserver obs;
    const ExportResult r =
        RunExport(counterJob(out, {rowFor(writePicture(src + "/a.bmp", 8, 8, ZV_TYPE_BMP))}), obs);
    EXPECT_EQ(r.end, ExportEnd::NamesExhausted);
    EXPECT_EQ(obs.messages, std::vector<std::string>{"Could't save image file!"});
}

TEST(ExportRun, ValidationComesFirstAndTheProfileIsWrittenOnlyWhenValid)
{
    const std::string src = freshFolder("valid-src");
    const std::string ini = src + "/zelventa.ini";
    ProfileStore profile(ini);
    ExportJob job;
    job.rows = {rowFor(writePicture(src + "/a.bmp", 8, 8, ZV_TYPE_BMP))};
    job.profile = &profile;
    ScriptObserver obs;
    ExportResult r = RunExport(job, obs);
    EXPECT_EQ(r.end, ExportEnd::Invalid);
    EXPECT_EQ(obs.messages, std::vector<std::string>{"You must specify output folder!"});
    EXPECT_EQ(obs.range, -1);
    EXPECT_FALSE(fs::exists(ini));

    job.options.OutputFolder = freshFolder("valid-out");
    r = RunExport(job, obs);
    EXPECT_EQ(r.saved, 1);
    EXPECT_EQ(profile.GetProfileString("Export Option", "SaveFolder"), job.options.OutputFolder);
    EXPECT_EQ(profile.GetProfileString("Export Option", "Quality"), "1");
}

TEST(ExportRun, JpegQualityAndResolutionOnlyForTheJpegFormat)
{
    const std::string src = freshFolder("jpeg-src"), out = freshFolder("jpeg-out");
    ZvImage source = makePattern24(64, 64);
    source.SetXDPI(300);
    source.SetYDPI(300);
    ASSERT_TRUE(source.Save((src + "/a.jpg").c_str(), ZV_TYPE_JPG));
    ExportJob job;
    job.rows = {rowFor(src + "/a.jpg")};
    job.options.OutputFolder = out;
    job.options.JpegQuality = 20;
    job.options.XResolution = 150;
    job.options.YResolution = 120;
    ScriptObserver obs;
    for (int format : {kFormatOriginal, kFormatJpeg}) {
        job.options.Format = format;
        ASSERT_EQ(RunExport(job, obs).saved, 1);
    }
    const ZvImage original = loadedFile(out + "/a.jpg"), jpeg = loadedFile(out + "/a.JPG");
    EXPECT_EQ(original.GetXDPI(), 300);
    EXPECT_EQ(jpeg.GetXDPI(), 150);
    EXPECT_EQ(jpeg.GetYDPI(), 120);
    EXPECT_LT(readFile(out + "/a.JPG").size(), readFile(out + "/a.jpg").size());
}

// A TIFF's compression scheme rides in the codec option; read as JPEG
// option bits LZW (5) would mean baseline + greyscale output.
TEST(ExportRun, ATiffCompressionSchemeDoesNotReachAnotherEncoder)
{
    const std::string src = freshFolder("tif-src"), out = freshFolder("tif-out");
    ZvImage source = solidPicture(32, 32, kRed);
    source.SetCodecOption(5);
    ASSERT_TRUE(source.Save((src + "/a.tif").c_str(), ZV_TYPE_TIF));
    ASSERT_EQ(loadedFile(src + "/a.tif").GetCodecOption(), 5u);
    ExportJob job;
    job.rows = {rowFor(src + "/a.tif")};
    job.options.OutputFolder = out;
    job.options.Format = kFormatJpeg;
    job.caption.reset();
    ScriptObserver obs;
    ASSERT_EQ(RunExport(job, obs).saved, 1);
    const ZvImage jpeg = loadedFile(out + "/a.JPG");
    EXPECT_EQ(jpeg.GetBpp(), 24u);
    EXPECT_GT(GetRValue(colourAt(jpeg, 16, 16)), 200);
    EXPECT_LT(GetGValue(colourAt(jpeg, 16, 16)), 60);
}

TEST(ExportRun, OptionsChangedDuringTheRunTakeEffectOnLaterPictures)
{
    const std::string src = freshFolder("change-src"), out = freshFolder("change-out");
    ExportJob job;
    job.rows = {rowFor(writePicture(src + "/a.bmp", 8, 8, ZV_TYPE_BMP)),
                rowFor(writePicture(src + "/b.bmp", 8, 8, ZV_TYPE_BMP))};
    job.options.OutputFolder = out;
    job.options.Format = 5;
    ScriptObserver obs;
    obs.changeOptions = [](ExportOptions &o, int done) {
        if (done == 1)
            o.Format = 7;
    };
    EXPECT_EQ(RunExport(job, obs).saved, 2);
    EXPECT_TRUE(fs::exists(out + "/a.PNG"));
    EXPECT_TRUE(fs::exists(out + "/b.TGA"));
}

// The left half of the source is clear and its transparent colour is the
// red of the box drawn there: the box stays visible, the rest stays clear.
TEST(ExportRun, TransparencySurvivesTheCaptionInEveryFormatThatHoldsIt)
{
    const std::string src = freshFolder("alpha-src"), out = freshFolder("alpha-out");
    // Black is visible too, so a GIF cannot take it for the transparent colour.
    std::vector<COLORREF> palette = {kRed, RGB(0, 0, 0)};
    for (int i = 2; i < 256; ++i)
        palette.push_back(RGB(0, i, 255 - i));
    ZvImage source =
        indexedPicture(40, 30, palette, [](int x, int y) { return x < 20 ? 0 : 1 + (x + y) % 50; });
    source.SetTransIndex(0);
    ASSERT_TRUE(source.Save((src + "/a.gif").c_str(), ZV_TYPE_GIF));
    CaptionSettings box = redBox();
    box.anchor = CaptionAnchor::TopLeft;
    box.offsets = {5, 5, 15, 10};
    for (int format : {2, 4, 5, 7}) {
        ExportJob job;
        job.rows = {rowFor(src + "/a.gif")};
        job.options.OutputFolder = out;
        job.options.Format = format;
        job.caption = box;
        ScriptObserver obs;
        ASSERT_EQ(RunExport(job, obs).saved, 1) << format;
        const ZvImage result = loadedFile(out + "/a" + exportFormat(format).extension);
        EXPECT_TRUE(clearAt(result, 2, 20)) << format;
        EXPECT_TRUE(clearAt(result, 15, 7)) << format; // just right of the box
        EXPECT_FALSE(clearAt(result, 14, 7)) << format;
        EXPECT_EQ(colourAt(result, 14, 9), kRed) << format;
        EXPECT_FALSE(clearAt(result, 5, 5)) << format;
        EXPECT_FALSE(clearAt(result, 30, 20)) << format;
        EXPECT_EQ(colourAt(result, 30, 20), RGB(0, 0, 0)) << format;
    }
}

// 8 x 8 blocks, so that the JPEG's blocks hold one colour each.
TEST(ExportRun, IndexedPicturesAreSavedAsJpegInColourOrGrey)
{
    const std::string src = freshFolder("indexed-src"), out = freshFolder("indexed-out");
    const auto checker = [](int x, int y) { return (x / 8 + y / 8) % 2; };
    ZvImage colour = indexedPicture(32, 24, {RGB(200, 30, 30), RGB(20, 40, 220)}, checker);
    ZvImage scan(32, 24, 1, ZV_TYPE_BMP);
    scan.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    scan.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x)
            scan.SetPixelIndex(x, 23 - y, std::uint8_t(checker(x, y)));
    ZvImage grey = indexedPicture(32, 24, {RGB(60, 60, 60), RGB(180, 180, 180)}, checker);
    ASSERT_TRUE(colour.Save((src + "/colour.gif").c_str(), ZV_TYPE_GIF));
    ASSERT_TRUE(scan.Save((src + "/scan.bmp").c_str(), ZV_TYPE_BMP));
    ASSERT_TRUE(grey.Save((src + "/grey.png").c_str(), ZV_TYPE_PNG));
    ExportJob job =
        counterJob(out, {rowFor(src + "/colour.gif"), rowFor(src + "/scan.bmp"), rowFor(src + "/grey.png")});
    job.options.NameMode = ExportNameMode::Keep;
    job.options.XResolution = 150; // unequal, so that a swapped or lost side shows
    job.options.YResolution = 300;
    ScriptObserver obs;
    const ExportResult r = RunExport(job, obs);
    ASSERT_EQ(r.saved, 3) << exportMessage(r);
    const struct
    {
        const char *name;
        std::uint32_t bpp;
        COLORREF dark, light;
    } expected[] = {
        {"colour.JPG", 24, RGB(200, 30, 30), RGB(20, 40, 220)},
        {"scan.JPG", 8, RGB(0, 0, 0), RGB(255, 255, 255)},
        {"grey.JPG", 8, RGB(60, 60, 60), RGB(180, 180, 180)},
    };
    for (const auto &e : expected) {
        const ZvImage jpeg = loadedFile(out + "/" + e.name);
        EXPECT_EQ(jpeg.GetBpp(), e.bpp) << e.name;
        EXPECT_EQ(jpeg.GetXDPI(), 150) << e.name;
        EXPECT_EQ(jpeg.GetYDPI(), 300) << e.name;
        for (const auto &[x, want] : {std::pair{3, e.dark}, std::pair{11, e.light}}) {
            const COLORREF got = colourAt(jpeg, x, 3);
            EXPECT_NEAR(GetRValue(got), GetRValue(want), 6) << e.name << " x " << x;
            EXPECT_NEAR(GetGValue(got), GetGValue(want), 6) << e.name << " x " << x;
            EXPECT_NEAR(GetBValue(got), GetBValue(want), 6) << e.name << " x " << x;
        }
    }
}

TEST(ExportRun, TwoPicturesAimedAtOneNameKeepTheFirstAndReportTheSecond)
{
    const std::string src = freshFolder("clash-src"), out = freshFolder("clash-out");
    ASSERT_TRUE(solidPicture(16, 16, kRed).Save((src + "/scan.bmp").c_str(), ZV_TYPE_BMP));
    ASSERT_TRUE(solidPicture(16, 16, RGB(0, 0, 255)).Save((src + "/scan.tif").c_str(), ZV_TYPE_TIF));
    ExportJob job = counterJob(out, {rowFor(src + "/scan.bmp"), rowFor(src + "/scan.tif")});
    job.options.NameMode = ExportNameMode::Keep;
    job.options.Format = 3;
    ScriptObserver obs;
    obs.answers = {OverwriteAnswer::Yes, OverwriteAnswer::Yes};
    const ExportResult r = RunExport(job, obs);
    EXPECT_EQ(r.saved, 1);
    EXPECT_TRUE(obs.asked.empty());
    ASSERT_EQ(r.issues.size(), 1u);
    EXPECT_EQ(r.issues[0].name, "scan.tif");
    EXPECT_EQ(r.issues[0].text, "not saved: [scan.BMP] was already saved from [scan.bmp] in this run");
    EXPECT_EQ(colourAt(loadedFile(out + "/scan.BMP"), 8, 8), kRed);
}

// A picture replaced through a symbolic link: the link stays, the file it
// names gets the picture, and no temporary file is left. A link that names
// nothing is a file all the same: it is not replaced without asking.
TEST(ExportRun, ReplacingALinkedPictureWritesThroughTheLink)
{
    const std::string src = freshFolder("link-src"), out = freshFolder("link-out");
    fs::create_directory(out + "/photos");
    writeFile(out + "/photos/kept.BMP", "old");
    fs::permissions(out + "/photos/kept.BMP",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("photos/kept.BMP", out + "/a.BMP");
    fs::create_symlink("photos/gone.BMP", out + "/b.BMP");
    ExportJob job = counterJob(out, {rowFor(writePicture(src + "/a.png", 12, 10, ZV_TYPE_PNG)),
                                     rowFor(writePicture(src + "/b.png", 12, 10, ZV_TYPE_PNG))});
    job.options.NameMode = ExportNameMode::Keep;
    job.options.Format = 3;
    ScriptObserver obs;
    obs.answers = {OverwriteAnswer::Yes, OverwriteAnswer::No};
    const ExportResult r = RunExport(job, obs);
    ASSERT_EQ(r.saved, 1) << exportMessage(r);
    EXPECT_EQ(obs.asked, std::vector<std::string>({out + "/a.BMP", out + "/b.BMP"}));
    ASSERT_EQ(r.issues.size(), 1u);
    EXPECT_EQ(r.issues[0].text, "not saved: [b.BMP] already exists and was kept");
    EXPECT_TRUE(fs::is_symlink(out + "/a.BMP"));
    EXPECT_EQ(loadedFile(out + "/photos/kept.BMP").GetWidth(), 12u);
    EXPECT_EQ(fs::status(out + "/photos/kept.BMP").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(fs::is_symlink(out + "/b.BMP"));
    int entries = 0;
    for (const char *dir : {"", "/photos"})
        for ([[maybe_unused]] const auto &e : fs::directory_iterator(out + dir))
            ++entries;
    EXPECT_EQ(entries, 4); // a.BMP, b.BMP, photos, photos/kept.BMP
}
