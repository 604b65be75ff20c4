// tests/export/preset_store_test.cpp
// Presets of the whole job as files: save, load, rename, delete; names that
// would be bad file names; files that are damaged or no preset at all.
#include "caption/caption_profile.h"
#include "export/preset_store.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string freshDir(const std::string &name)
{
    const std::string dir = scratchDir() + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

JobPreset holiday()
{
    JobPreset p;
    p.caption.text = QString::fromUtf8("Été 2026\r\nà la mer");
    p.caption.anchor = CaptionAnchor::BottomLeft;
    p.caption.offsets = {20, 90, 400, 20};
    p.caption.style.wordWrap = true;
    p.options.Format = kFormatJpeg;
    p.options.JpegQuality = 77;
    p.options.NameMode = ExportNameMode::Counter;
    p.options.Prefix = "Sea";
    p.options.OutputFolder = "/tmp/out";
    p.options.KeepPhotoInfo = true;
    p.options.KeepColourSpace = true;
    p.options.Codec.WebpQuality = 55;
    return p;
}

} // namespace

TEST(PresetStore, SaveLoadRenameDelete)
{
    const std::string dir = freshDir("presets-crud");
    PresetStore store(dir + "/presets");
    EXPECT_TRUE(store.List().empty()); // no folder yet
    const JobPreset sea = holiday();
    ASSERT_EQ(store.Save("Holiday 2026", sea), "");
    ASSERT_EQ(store.Save("alpha", JobPreset{}), "");
    writeFile(dir + "/presets/notes.txt", "not a preset");
    writeFile(dir + "/presets/.hidden.ini", "[Caption]\n");
    EXPECT_EQ(store.List(), std::vector<std::string>({"alpha", "Holiday 2026"}));

    const std::string file = readFile(store.PathOf("Holiday 2026"));
    for (const char *line : {"[Caption]\n", "Anchor=bottom-left\n", "[Export Option]\n", "SaveFormat=1\n",
                             "SavePrifix=Sea\n", "WebpQuality=55\n", "KeepColourSpace=1\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;

    JobPreset back;
    ASSERT_EQ(store.Load("Holiday 2026", CaptionSettings{}, back), "");
    EXPECT_EQ(back.options, sea.options);
    EXPECT_EQ(captionProfileEntries(back.caption), captionProfileEntries(sea.caption));

    EXPECT_EQ(store.Rename("alpha", "Holiday 2026"), "A preset named [Holiday 2026] already exists!");
    EXPECT_EQ(store.Rename("alpha", "beta"), "");
    EXPECT_EQ(store.List(), std::vector<std::string>({"beta", "Holiday 2026"}));
    EXPECT_EQ(store.Remove("beta"), "");
    EXPECT_EQ(store.List(), std::vector<std::string>({"Holiday 2026"}));
    EXPECT_NE(store.Load("beta", CaptionSettings{}, back), "");
    EXPECT_NE(store.Remove("beta"), "");
    EXPECT_EQ(back.options, sea.options); // a refused load leaves what it was given
}

TEST(PresetStore, NamesThatWouldBeBadFileNamesAreRefused)
{
    const std::string dir = freshDir("presets-names");
    PresetStore store(dir + "/presets");
    ASSERT_EQ(store.Save("kept", JobPreset{}), "");
    for (const std::string &name :
         {std::string(), std::string("a/b"), std::string("../up"), std::string(".x"),
          std::string("two\nlines"), std::string(" blank"), std::string(65, 'a')}) {
        EXPECT_NE(PresetStore::CheckName(name), "") << name;
        EXPECT_NE(store.Save(name, JobPreset{}), "") << name;
        EXPECT_NE(store.Rename("kept", name), "") << name;
    }
    EXPECT_EQ(PresetStore::CheckName("a/b"), "Invalid preset name [a/b]: it cannot contain \"/\"!");
    // Characters, not bytes, are counted.
    std::string accents;
    for (int i = 0; i < 64; ++i)
        accents += "é";
    EXPECT_EQ(store.Save(accents, JobPreset{}), "");
    std::vector<std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(dir))
        files.push_back(fs::relative(entry.path(), dir).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              std::vector<std::string>({"presets", "presets/kept.ini", "presets/" + accents + ".ini"}));
}

TEST(PresetStore, DamagedOrForeignFilesAreRefusedWithTheReason)
{
    const std::string dir = freshDir("presets-damaged");
    const CaptionSettings base;
    JobPreset out;
    auto load = [&](const std::string &name, const std::string &content) {
        writeFile(dir + "/" + name, content);
        return PresetStore::LoadFile(dir + "/" + name, base, out);
    };
    EXPECT_EQ(PresetStore::LoadFile(dir + "/missing.ini", base, out),
              "Cannot read the preset file [" + dir + "/missing.ini]!");
    EXPECT_NE(load("binary.ini", std::string("\x89PNG\r\n\x1a\n\0\0", 10)).find("binary data"),
              std::string::npos);
    EXPECT_NE(load("other.ini", "[Other]\nKey=1\n").find("neither a [Caption] nor"), std::string::npos);
    EXPECT_NE(load("prose.ini", "[Caption]\nText=a\njust words\n").find("line 3 is neither"),
              std::string::npos);
    EXPECT_NE(
        load("huge.ini", "[Caption]\nText=" + std::string(2 << 20, 'x') + "\n").find("larger than 1 MB"),
        std::string::npos);
    const std::string message = load(
        "values.ini", "[Caption]\nAnchor=9\nAlign=left\n[Export Option]\nSaveFormat=42\nJpegQuality=80\n");
    EXPECT_EQ(message, "The preset file [" + dir +
                           "/values.ini] is damaged:\nAnchor: top-left|top-right|bottom-left|bottom-right is "
                           "needed\nSaveFormat: a whole number from 0 to 10 is needed");
    EXPECT_EQ(out.options, ExportOptions{});
    // A hand-written preset of one section is whole.
    EXPECT_EQ(load("short.ini", "; made by hand\n[export option]\nSaveFormat=5\n"), "");
    EXPECT_EQ(out.options.Format, 5);
}
