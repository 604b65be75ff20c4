// tests/app/zvimage_cli_test.cpp
// zvimage as scripts see it: what each command writes, exit codes, messages,
// and that a failed command leaves no output file behind.
#include "imagelib/core/image.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

ToolRun zvimage(const std::vector<std::string> &args)
{
    return runBuiltTool("zvimage", args);
}

std::string path(const std::string &name)
{
    return scratchDir() + "/" + name;
}

// A 24-bit pattern saved in the given format, once per name.
std::string input(const std::string &name, int width = 40, int height = 30)
{
    const std::string file = path(name);
    if (!fs::exists(file)) {
        ZvImage picture = makePattern24(width, height);
        picture.SetXDPI(72);
        picture.SetYDPI(72);
        EXPECT_TRUE(picture.Save(file.c_str(), ImageTypeFromName(file))) << picture.GetLastError();
    }
    return file;
}

// The pixel at x, y counted from the top left, as the file shows it.
std::vector<std::uint8_t> pixelAt(const Rgb8 &picture, int x, int y)
{
    const std::size_t at = (std::size_t(y) * picture.width + x) * 3;
    return {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

} // namespace

TEST(ZvimageCli, InfoDescribesEachFileOnItsOwnLine)
{
    const std::string bmp = input("info.bmp", 40, 30);
    const std::string png = input("info.png", 17, 9);
    const ToolRun r = zvimage({"info", bmp, png});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, bmp + ": type=1 size=40x30 bpp=24 dpi=72,72 loaded=40x30x24\n" + png +
                         ": type=4 size=17x9 bpp=24 dpi=72,72 loaded=17x9x24\n");

    // A bad file among good ones: its own line says why, and the status is 1.
    const std::string missing = path("nowhere.png");
    const ToolRun mixed = zvimage({"info", missing, bmp});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(
        mixed.out.rfind(missing + ": error: cannot open " + missing + ": No such file or directory\n", 0), 0u)
        << mixed.out;
    EXPECT_NE(mixed.out.find(bmp + ": type=1 size=40x30"), std::string::npos);
}

// A camera's tag: the stored size stays first, the upright size follows.
TEST(ZvimageCli, InfoGivesTheUprightSizeOfATurnedPhoto)
{
    ZV_REQUIRE_CORPUS("exif-samples");
    const std::string dir = corporaDir() + "/exif-samples/jpg/orientation/";
    const ToolRun r =
        zvimage({"info", dir + "landscape_6.jpg", dir + "landscape_3.jpg", dir + "landscape_1.jpg"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("landscape_6.jpg: type=3 size=450x600 bpp=24"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("loaded=450x600x24 orientation=6 upright=600x450\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("orientation=3 upright=600x450\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("landscape_1.jpg: error"), std::string::npos);
    EXPECT_EQ(r.out.find("orientation=1"), std::string::npos) << "an upright photo says nothing more";
}

TEST(ZvimageCli, ConvertTakesTheTypeFromTheNameAndAppliesTheOptions)
{
    const std::string source = input("convert.bmp");
    const ToolRun plain = zvimage({"convert", source, path("plain.tga")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "");
    const ZvImage tga = loadedFile(path("plain.tga"));
    EXPECT_EQ(tga.GetType(), std::uint32_t(ZV_TYPE_TGA));
    EXPECT_EQ(toRgb(tga), toRgb(loadedFile(source)));
    ASSERT_EQ(zvimage({"convert", source, path("plain.tif")}).status, 0);
    EXPECT_EQ(loadedFile(path("plain.tif")).GetType(), std::uint32_t(ZV_TYPE_TIF));

    // --type wins over the name; --dpi with one value or two.
    ASSERT_EQ(zvimage({"convert", source, path("named.bmp"), "--type", "4", "--dpi", "300,150"}).status, 0);
    ZvImage typed;
    ASSERT_TRUE(typed.Load(path("named.bmp").c_str(), ZV_TYPE_UNKNOWN));
    EXPECT_EQ(typed.GetType(), std::uint32_t(ZV_TYPE_PNG));
    EXPECT_EQ(typed.GetXDPI(), 300);
    EXPECT_EQ(typed.GetYDPI(), 150);
    ASSERT_EQ(zvimage({"convert", source, path("square.png"), "--dpi", "200"}).status, 0);
    EXPECT_EQ(loadedFile(path("square.png")).GetYDPI(), 200);

    // A lower JPEG quality gives a smaller file.
    const std::string big = input("quality.png", 200, 150);
    ASSERT_EQ(zvimage({"convert", big, path("q95.jpg"), "--quality", "95"}).status, 0);
    ASSERT_EQ(zvimage({"convert", big, path("q10.jpg"), "--quality", "10"}).status, 0);
    EXPECT_LT(fs::file_size(path("q10.jpg")) * 2, fs::file_size(path("q95.jpg")));
}

TEST(ZvimageCli, ResampleAndRotateWriteTheTurnedOrScaledPicture)
{
    const std::string source = input("turn.png", 40, 30);
    const Rgb8 before = toRgb(loadedFile(source));
    ASSERT_EQ(zvimage({"rotate", source, path("left.png"), "left"}).status, 0);
    ASSERT_EQ(zvimage({"rotate", source, path("right.png"), "right"}).status, 0);
    ASSERT_EQ(zvimage({"rotate", source, path("half.png"), "180"}).status, 0);
    const Rgb8 left = toRgb(loadedFile(path("left.png")));
    const Rgb8 right = toRgb(loadedFile(path("right.png")));
    const Rgb8 half = toRgb(loadedFile(path("half.png")));
    ASSERT_EQ(left.width, 30);
    ASSERT_EQ(left.height, 40);
    ASSERT_EQ(right.width, 30);
    ASSERT_EQ(half.width, 40);
    // Turned left, the top-right corner comes to the top left; turned right,
    // the bottom-left corner does; half a turn swaps opposite corners.
    EXPECT_EQ(pixelAt(left, 0, 0), pixelAt(before, 39, 0));
    EXPECT_EQ(pixelAt(right, 0, 0), pixelAt(before, 0, 29));
    EXPECT_EQ(pixelAt(half, 0, 0), pixelAt(before, 39, 29));
    EXPECT_EQ(pixelAt(left, 1, 0), pixelAt(before, 39, 1));

    // The default mode against an explicit one: both give the asked size.
    ASSERT_EQ(zvimage({"resample", source, path("small.png"), "20", "15"}).status, 0);
    const ZvImage small = loadedFile(path("small.png"));
    EXPECT_EQ(small.GetWidth(), 20u);
    EXPECT_EQ(small.GetHeight(), 15u);
    ASSERT_EQ(zvimage({"resample", source, path("box.png"), "80", "7", "--mode", "0"}).status, 0);
    EXPECT_EQ(loadedFile(path("box.png")).GetWidth(), 80u);
    EXPECT_EQ(loadedFile(path("box.png")).GetHeight(), 7u);
}

TEST(ZvimageCli, DumpWritesTheDecodedPixelsAsPpm)
{
    const std::string source = input("dump.png", 5, 3);
    const ToolRun r = zvimage({"dump", source});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("P6\n5 3\n255\n", 0), 0u);
    EXPECT_EQ(parsePpm(r.out), toRgb(loadedFile(source)));

    // Indexed pictures come out through their palette.
    ZvImage indexed = makePatternIndexed(6, 4, 4);
    const std::string gif = path("dump.gif");
    ASSERT_TRUE(indexed.Save(gif.c_str(), ZV_TYPE_GIF)) << indexed.GetLastError();
    EXPECT_EQ(parsePpm(zvimage({"dump", gif}).out), toRgb(loadedFile(gif)));
}

// Every failure: "error: ..." on stderr, status 1, and no output file; an
// existing file at the output path is left as it was.
TEST(ZvimageCli, AFailedCommandSaysWhyAndLeavesNoFile)
{
    const std::string source = input("fail.png", 40, 30);
    const std::string notPicture = path("text.png");
    writeFile(notPicture, "just some words, not a picture at all");
    writeFile(path("text.bin"), "just some words, not a picture at all");
    struct Case
    {
        std::vector<std::string> args;
        std::string output;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{"convert", path("absent.png"), path("a.bmp")},
         path("a.bmp"),
         "error: cannot open " + path("absent.png") + ": No such file or directory\n"},
        {{"convert", notPicture, path("b.bmp")}, path("b.bmp"), "error: Not a PNG file\n"},
        {{"convert", source, path("c.wbmp")}, path("c.wbmp"), "error: Can't save this image as WBMP\n"},
        {{"convert", source, path("no-folder/d.png")}, path("no-folder/d.png"), "error: "},
        {{"resample", source, path("e.png"), "0", "10"},
         path("e.png"),
         "error: width and height must be positive\n"},
        {{"rotate", notPicture, path("f.png"), "left"}, path("f.png"), "error: Not a PNG file\n"},
        {{"dump", path("text.bin")}, "", "error: Decode: Unknown or wrong format\n"},
    };
    for (const Case &c : cases) {
        const ToolRun r = zvimage(c.args);
        EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.output;
        EXPECT_EQ(r.err.rfind(c.error, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        if (!c.output.empty()) {
            EXPECT_FALSE(fs::exists(c.output)) << c.output;
        }
        EXPECT_EQ(r.out, "");
    }
    // Nothing else appeared beside the outputs, such as a temporary file.
    for (const auto &entry : fs::directory_iterator(scratchDir()))
        EXPECT_NE(entry.path().filename().string().rfind('.', 0), 0u) << entry.path();

    const std::string kept = path("kept.wbmp");
    writeFile(kept, "the user's file");
    EXPECT_EQ(zvimage({"convert", source, kept}).status, 1);
    EXPECT_EQ(readFile(kept), "the user's file");
}

TEST(ZvimageCli, UsageErrorsExitTwoAndNameTheFault)
{
    const std::string source = input("usage.png");
    struct Case
    {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{}, "usage: zvimage info FILE..."},
        {{"shrink", source}, "zvimage: unknown command shrink"},
        {{"convert", source}, "zvimage: convert needs IN and OUT"},
        {{"rotate", source, path("u.png"), "sideways"},
         "zvimage: rotate takes left, right or 180, not sideways"},
        {{"convert", source, path("u.png"), "--quality", "101"}, "zvimage: --quality must be 0..100"},
        {{"resample", source, path("u.png"), "10", "10", "--mode", "3"}, "zvimage: --mode must be 0, 1 or 2"},
        {{"convert", source, path("u.png"), "--fast"}, "zvimage: unknown option --fast"},
        {{"resample", source, path("u.png"), "ten", "10"}, "zvimage: bad number for W: ten"},
    };
    for (const Case &c : cases) {
        const ToolRun r = zvimage(c.args);
        EXPECT_EQ(r.status, 2) << c.says;
        EXPECT_EQ(r.err.rfind(c.says, 0), 0u) << r.err;
        EXPECT_FALSE(fs::exists(path("u.png")));
    }
    const ToolRun help = zvimage({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: zvimage info FILE...", 0), 0u);
}
