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
    EXPECT_EQ(o.FolderMode, ExportFolderMode::OutputFolder);
    EXPECT_EQ(o.OutputFolder, "");
    EXPECT_EQ(o.NameMode, ExportNameMode::Keep);
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

// Every field away from its default and from its neighbours, so that a
// value stored or read under another key shows.
TEST(ExportOptions, SaveWritesFifteenKeysInOrderAndLoadsBack)
{
    ProfileStore store = freshStore("roundtrip");
    ExportOptions o;
    o.FolderMode = ExportFolderMode::OutputFolder;
    o.OutputFolder = "/trip out";
    o.NameMode = ExportNameMode::Counter;
    o.Prefix = "Trip";
    o.Format = 5;
    o.JpegQuality = 33;
    o.XResolution = 150;
    o.YResolution = 151;
    o.ResizeImage = true;
    o.ResizeWidth = "12x";
    o.ResizeHeight = "34";
    o.Unit = 1;
    o.AllowStretch = false;
    o.AspectRatio = true;
    o.RestrictWidth = false;
    o.RestrictHeight = true;
    o.Quality = 2;
    ASSERT_TRUE(o.Save(store));
    EXPECT_EQ(readFile(store.path()),
              "[Export Option]\nSaveFolder=/trip out\nSavePrifix=Trip\nSaveFormat=5\nJpegQuality=33\n"
              "XResolution=150\nYResolution=151\nResizeImage=1\nResizeWidth=12x\nResizeHeight=34\n"
              "Unit=1\nAllowStretch=0\nAspectRatio=1\nRestrictWidth=0\nRestrictHeight=1\nQuality=2\n");
    ExportOptions back;
    back.Load(store);
    EXPECT_EQ(back.FolderMode, ExportFolderMode::OutputFolder);
    EXPECT_EQ(back.OutputFolder, "/trip out");
    EXPECT_EQ(back.NameMode, ExportNameMode::Counter);
    EXPECT_EQ(back.Prefix, "Trip");
    EXPECT_EQ(back.Format, 5);
    EXPECT_EQ(back.JpegQuality, 33);
    EXPECT_EQ(back.XResolution, 150);
    EXPECT_EQ(back.YResolution, 151);
    EXPECT_TRUE(back.ResizeImage);
    EXPECT_EQ(back.ResizeWidth, "12x");
    EXPECT_EQ(back.ResizeHeight, "34");
    EXPECT_EQ(back.Unit, 1);
    EXPECT_FALSE(back.AllowStretch);
    EXPECT_TRUE(back.AspectRatio);
    EXPECT_FALSE(back.RestrictWidth);
    EXPECT_TRUE(back.RestrictHeight);
    EXPECT_EQ(back.Quality, 2);

    // Folder mode 0 and names kept: the folder text and the prefix are not kept.
    o.FolderMode = ExportFolderMode::PictureFolder;
    o.NameMode = ExportNameMode::Keep;
    ASSERT_TRUE(o.Save(store));
    back.Load(store);
    EXPECT_EQ(back.FolderMode, ExportFolderMode::PictureFolder);
    EXPECT_EQ(back.OutputFolder, "");
    EXPECT_EQ(back.NameMode, ExportNameMode::Keep);
    EXPECT_EQ(back.Prefix, "Photo");
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
    EXPECT_EQ(o.NameMode, ExportNameMode::Keep);
    EXPECT_EQ(o.Prefix, "Photo");
    EXPECT_EQ(o.Format, 0);
    EXPECT_FALSE(o.ResizeImage); // only exactly "1" turns resizing on
    EXPECT_FALSE(o.AllowStretch);
    EXPECT_TRUE(o.AspectRatio);
    EXPECT_EQ(o.JpegQuality, 75);
}

TEST(ExportOptions, ValidationRunsInItsOrder)
{
    ExportOptions o;
    o.NameMode = ExportNameMode::Counter;
    o.Prefix.clear();
    EXPECT_EQ(o.Validate(0), "You must specify output folder!");
    o.OutputFolder = "/out";
    EXPECT_EQ(o.Validate(0), "You must specify filename prefix!");
    o.Prefix = "P";
    EXPECT_EQ(o.Validate(0), "You must select image file at first!");
    EXPECT_EQ(o.Validate(1), "");
    o.Prefix = "trip/";
    EXPECT_EQ(o.Validate(1), "Invalid filename prefix [trip/]: it cannot contain \"/\"!");
    o.NameMode = ExportNameMode::Keep; // names kept: the prefix is not used
    EXPECT_EQ(o.Validate(1), "");
    o.FolderMode = ExportFolderMode::PictureFolder;
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
    // The newer formats follow the original eight, so stored indexes keep their meaning.
    EXPECT_EQ(exportFormat(kFormatWebp).type, ZV_TYPE_WEBP);
    EXPECT_EQ(exportFormat(kFormatAvif).type, ZV_TYPE_AVIF);
    EXPECT_EQ(exportFormat(kFormatJxl).type, ZV_TYPE_JXL);
    EXPECT_EQ(kFormatWebp, 8);
    EXPECT_STREQ(exportFormat(kExportFormatCount - 1).extension, ".JXL");
    EXPECT_EQ(&exportFormat(kExportFormatCount), &exportFormat(kFormatOriginal)); // one past the table
    EXPECT_EQ(&exportFormat(-1), &exportFormat(kFormatOriginal));
    EXPECT_STREQ(exportFormat(11).listText, "Original Format");
    o.Quality = 0;
    EXPECT_EQ(o.ResampleMode(), 1);
    o.Quality = 2;
    EXPECT_EQ(o.ResampleMode(), 2);
    o.Quality = 1;
    EXPECT_EQ(o.ResampleMode(), 0);
}

// The codec settings live under keys of their own: an untouched profile gains
// none of them, and each value comes back on its own key.
TEST(ExportOptions, CodecSettingsKeysStoredOnlyWhenSet)
{
    ProfileStore store = freshStore("codec-settings");
    ExportOptions o;
    ASSERT_TRUE(o.Save(store));
    for (const char *key :
         {"WebpQuality", "WebpLossless", "AvifQuality", "AvifSpeed", "JxlQuality", "JxlLossless"})
        EXPECT_EQ(store.GetProfileString(kExportSection, key), "") << key;

    o.Codec.WebpQuality = 55;
    o.Codec.WebpLossless = true;
    o.Codec.AvifQuality = 33;
    o.Codec.AvifSpeed = 9;
    o.Codec.JxlQuality = 71;
    o.Codec.JxlLossless = true;
    ASSERT_TRUE(o.Save(store));
    ExportOptions back;
    back.Load(store);
    EXPECT_EQ(back.Codec, o.Codec);
    EXPECT_EQ(store.GetProfileString(kExportSection, "AvifSpeed"), "9");

    // Back to a default value: the key is kept and says so.
    o.Codec.AvifSpeed = 6;
    ASSERT_TRUE(o.Save(store));
    EXPECT_EQ(store.GetProfileString(kExportSection, "AvifSpeed"), "6");
}

// Like KeepPhotoInfo, the colour choice leaves an old profile as it was until
// it is used, and once stored it follows the setting back off.
TEST(ExportOptions, KeepColourSpaceIsStoredOnlyOnceUsed)
{
    ProfileStore store = freshStore("keep-colour");
    ExportOptions o;
    o.KeepPhotoInfo = true;
    ASSERT_TRUE(o.Save(store));
    EXPECT_EQ(readFile(store.path()).find("KeepColourSpace"), std::string::npos);

    o.KeepColourSpace = true;
    ASSERT_TRUE(o.Save(store));
    ExportOptions back;
    back.Load(store);
    EXPECT_EQ(back, o);

    back.KeepColourSpace = false;
    ASSERT_TRUE(back.Save(store));
    EXPECT_NE(readFile(store.path()).find("\nKeepColourSpace=0\n"), std::string::npos);
    ExportOptions again;
    again.KeepColourSpace = true;
    again.Load(store);
    EXPECT_FALSE(again.KeepColourSpace);
    EXPECT_TRUE(again.KeepPhotoInfo); // its own key, not the photo information's
}
