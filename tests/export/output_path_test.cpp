// tests/export/output_path_test.cpp
// Output names in every folder and naming mode; counter names against a real folder.
#include "export/export_options.h"
#include "export/output_path.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

ExportOptions counterOptions(const std::string &folder, const std::string &prefix = "Photo")
{
    ExportOptions o;
    o.FolderMode = ExportFolderMode::OutputFolder;
    o.OutputFolder = folder;
    o.NameMode = ExportNameMode::Counter;
    o.Prefix = prefix;
    o.Format = kFormatJpeg;
    return o;
}

OutputPath next(const ExportOptions &o, const std::string &source = "/src/a.png")
{
    return MakeOutputPath(o, o.OutputFolder, nameOf(source), source,
                          outputFormatFor(o.Format, nameOf(source), source));
}

} // namespace

TEST(OutputPath, PathPieces)
{
    EXPECT_EQ(folderOf("/a.b/photo"), "/a.b/");
    EXPECT_EQ(folderOf("photo.jpg"), "./");
    EXPECT_EQ(nameOf("/a.b/photo"), "photo");
    EXPECT_EQ(stemOf("photo"), "photo");
    EXPECT_EQ(stemOf("IMG_1.tar.jpeg"), "IMG_1.tar");
    EXPECT_EQ(joinFolder("/out", "x"), "/out/x");
    EXPECT_EQ(joinFolder("/out/", "x"), "/out/x");
}

TEST(OutputPath, FormatTableAndOriginalFormat)
{
    const OutputFormat bmp = outputFormatFor(3, "IMG_1.jpeg", "/s/IMG_1.jpeg");
    EXPECT_EQ(bmp.extension, ".BMP");
    EXPECT_EQ(bmp.type, ZV_TYPE_BMP);
    const OutputFormat same = outputFormatFor(0, "scan.Tif", "/s/scan.Tif");
    EXPECT_EQ(same.extension, ".Tif"); // letters as in the source name
    EXPECT_EQ(same.type, ZV_TYPE_TIF);
    const OutputFormat none = outputFormatFor(0, "photo", "/a.b/photo");
    EXPECT_EQ(none.extension, ".");
    EXPECT_EQ(none.type, ZV_TYPE_UNKNOWN);
    EXPECT_EQ(outputFormatFor(42, "a.png", "/s/a.png").extension, ".png"); // out of range: original
    // Read-only phone and camera formats go out as JPEG.
    for (const char *name : {"IMG_2.HEIC", "DSC_3.nef"}) {
        const OutputFormat read = outputFormatFor(0, name, std::string("/s/") + name);
        EXPECT_EQ(read.extension, ".JPG") << name;
        EXPECT_EQ(read.type, ZV_TYPE_JPG) << name;
    }
}

TEST(OutputPath, KeptNamesAndSourceFolders)
{
    ExportOptions o;
    o.OutputFolder = "/out/";
    o.Format = 3;
    OutputPath p =
        MakeOutputPath(o, "/out/", "IMG_1.jpeg", "/s/IMG_1.jpeg", outputFormatFor(3, "IMG_1.jpeg", ""));
    EXPECT_EQ(p.path, "/out/IMG_1.BMP");
    EXPECT_EQ(p.shown, "IMG_1.BMP");

    o.FolderMode = ExportFolderMode::PictureFolder;
    o.Format = 0;
    p = MakeOutputPath(o, "/s/", "IMG_1.jpeg", "/s/IMG_1.jpeg",
                       outputFormatFor(0, "IMG_1.jpeg", "/s/IMG_1.jpeg"));
    EXPECT_EQ(p.path, "/s/IMG_1.jpeg"); // the source itself: the overwrite question follows
    EXPECT_EQ(p.shown, "IMG_1.jpeg");

    o.NameMode = ExportNameMode::Counter; // the prefix plays no part in the source folder
    const OutputFormat png = outputFormatFor(5, "x", "");
    p = MakeOutputPath(o, "/a.b/", "photo", "/a.b/photo", png);
    EXPECT_EQ(p.path, "/a.b/photo.PNG");
    EXPECT_EQ(p.shown, "photo.PNG");
}

TEST(OutputPath, CounterTakesTheLowestFreeNumberWhateverTheCase)
{
    const std::string dir = freshFolder("counter");
    const ExportOptions o = counterOptions(dir);
    EXPECT_EQ(next(o).shown, "Photo0000.JPG");
    writeFile(dir + "/photo0000.jpg", "x");
    writeFile(dir + "/PHOTO0001.JPG", "x");
    writeFile(dir + "/Photo0003.JPG", "x");
    OutputPath p = next(o);
    EXPECT_EQ(p.path, dir + "/Photo0002.JPG");
    writeFile(p.path, "x");
    EXPECT_EQ(next(o).shown, "Photo0004.JPG");
    fs::remove(dir + "/PHOTO0001.JPG"); // a gap is filled first
    EXPECT_EQ(next(o).shown, "Photo0001.JPG");
    // Another extension does not take a number; a folder of that name does.
    fs::create_directory(dir + "/Photo0001.jpg");
    writeFile(dir + "/Photo0004.PNG", "x");
    EXPECT_EQ(next(o).shown, "Photo0004.JPG");
}

TEST(OutputPath, CounterStopsAfterTenThousandNames)
{
    const std::string dir = freshFolder("full");
    const ExportOptions o = counterOptions(dir, "P");
    for (int n = 0; n <= kMaxCounter; ++n) {
        char name[32];
        std::snprintf(name, sizeof(name), "/p%04d.jpg", n);
        writeFile(dir + name, "");
    }
    EXPECT_EQ(next(o).status, OutputPath::Status::NamesExhausted);
    fs::remove(dir + "/p9999.jpg");
    EXPECT_EQ(next(o).shown, "P9999.JPG");
}

TEST(OutputPath, AFolderThatCannotBeListedIsReported)
{
    const ExportOptions o = counterOptions(scratchDir() + "/no-such-folder");
    const OutputPath p = next(o);
    EXPECT_EQ(p.status, OutputPath::Status::FolderUnlistable);
    EXPECT_NE(p.problem, "");
}
