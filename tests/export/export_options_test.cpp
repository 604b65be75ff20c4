// tests/export/export_options_test.cpp
#include "export/export_options.h"
#include "platform/profile_store.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

ProfileStore freshStore(const std::string &name)
{
    const std::string path = scratchDir() + "/" + name + ".ini";
    std::filesystem::remove(path);
    return ProfileStore(path);
}

} // namespace

TEST(ExportOptions, NothingStoredGivesTheDefaults)
{
    ProfileStore store = freshStore("defaults");
    ExportOptions o;
    o.Prefix = "x";
    o.Load(store);
    EXPECT_EQ(o.FolderMode, 1);
    EXPECT_EQ(o.OutputFolder, "");
    EXPECT_EQ(o.NameMode, 0);
    EXPECT_EQ(o.Prefix, "Photo");
    EXPECT_EQ(o.Format, 0);
    EXPECT_EQ(o.JpegQuality, 90);
    EXPECT_EQ(o.XResolution, 72);
    EXPECT_FALSE(o.ResizeImage);
    EXPECT_EQ(o.ResizeWidth, "800");
    EXPECT_EQ(o.ResizeHeight, "600");
    EXPECT_TRUE(o.AllowStretch);
    EXPECT_FALSE(o.AspectRatio);
    EXPECT_TRUE(o.RestrictWidth);
    EXPECT_FALSE(o.RestrictHeight);
    EXPECT_EQ(o.Quality, 1);
    EXPECT_EQ(o.Validate(3), "You must specify output folder!");
}

TEST(ExportOptions, SaveWritesFifteenKeysInOrderAndLoadsBack)
{
    ProfileStore store = freshStore("roundtrip");
    ExportOptions o;
    o.FolderMode = 0;
    o.OutputFolder = "/lost";
    o.NameMode = 1;
    o.Prefix = "Trip";
    o.Format = 5;
    o.ResizeImage = true;
    o.ResizeWidth = "12x";
    o.AspectRatio = true;
    o.AllowStretch = false;
    ASSERT_TRUE(o.Save(store));
    EXPECT_EQ(readFile(store.path()),
              "[Export Option]\nSaveFolder=-1\nSavePrifix=Trip\nSaveFormat=5\nJpegQuality=90\n"
              "XResolution=72\nYResolution=72\nResizeImage=1\nResizeWidth=12x\nResizeHeight=600\n"
              "Unit=0\nAllowStretch=0\nAspectRatio=1\nRestrictWidth=1\nRestrictHeight=0\nQuality=1\n");
    ExportOptions back;
    back.Load(store);
    EXPECT_EQ(back.FolderMode, 0);
    EXPECT_EQ(back.OutputFolder, "");   // the folder text is not kept in folder mode 0
    EXPECT_EQ(back.NameMode, 1);
    EXPECT_EQ(back.Prefix, "Trip");
    EXPECT_EQ(back.Format, 5);
    EXPECT_TRUE(back.ResizeImage);
    EXPECT_EQ(back.ResizeWidth, "12x");
    EXPECT_FALSE(back.AllowStretch);
    EXPECT_TRUE(back.AspectRatio);
}

TEST(ExportOptions, StoredTextIsReadLikeTheDialogReadsIt)
{
    ProfileStore store = freshStore("odd");
    store.WriteProfileString(kExportSection, "SavePrifix", "-1");
    store.WriteProfileString(kExportSection, "SaveFormat", "jpeg");
    store.WriteProfileString(kExportSection, "ResizeImage", "2");
    store.WriteProfileString(kExportSection, "AllowStretch", "0");
    store.WriteProfileString(kExportSection, "AspectRatio", " 5");
    store.WriteProfileString(kExportSection, "JpegQuality", "75%");
    ExportOptions o;
    o.Load(store);
    EXPECT_EQ(o.NameMode, 0);
    EXPECT_EQ(o.Prefix, "Photo");
    EXPECT_EQ(o.Format, 0);
    EXPECT_FALSE(o.ResizeImage);   // only exactly "1" turns resizing on
    EXPECT_FALSE(o.AllowStretch);
    EXPECT_TRUE(o.AspectRatio);
    EXPECT_EQ(o.JpegQuality, 75);
}

TEST(ExportOptions, ValidationRunsInItsOrder)
{
    ExportOptions o;
    o.NameMode = 1;
    o.Prefix.clear();
    EXPECT_EQ(o.Validate(0), "You must specify output folder!");
    o.OutputFolder = "/out";
    EXPECT_EQ(o.Validate(0), "You must specify filename prefix!");
    o.Prefix = "P";
    EXPECT_EQ(o.Validate(0), "You must select image file at first!");
    EXPECT_EQ(o.Validate(1), "");
    o.Prefix = "trip/";
    EXPECT_EQ(o.Validate(1), "Invalid filename prefix [trip/]: it cannot contain \"/\"!");
    o.NameMode = 0;   // names kept: the prefix is not used
    EXPECT_EQ(o.Validate(1), "");
    o.FolderMode = 0;
    o.OutputFolder.clear();
    EXPECT_EQ(o.Validate(1), "");
}

TEST(ExportOptions, FormatTableAndExampleText)
{
    ExportOptions o;
    EXPECT_EQ(o.ExampleText(), "Example:Photo0001.###,Photo0002.###,Photo0003.###,...");
    o.Format = kFormatJpeg;
    o.Prefix = "Trip";
    EXPECT_EQ(o.ExampleText(), "Example:Trip0001.JPG,Trip0002.JPG,Trip0003.JPG,...");
    EXPECT_STREQ(exportFormat(7).listText, "Targa TGA(.TGA)");
    EXPECT_EQ(exportFormat(4).type, ZV_TYPE_TIF);
    EXPECT_STREQ(exportFormat(9).listText, "Original Format");
    o.Quality = 0;
    EXPECT_EQ(o.ResampleMode(), 1);
    o.Quality = 2;
    EXPECT_EQ(o.ResampleMode(), 2);
    o.Quality = 1;
    EXPECT_EQ(o.ResampleMode(), 0);
}
