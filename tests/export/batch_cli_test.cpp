// tests/export/batch_cli_test.cpp
// zelventa-batch as scripts see it: options, messages, exit codes and files.
#include "imagelib/codecs/jpeg/codec_jpg.h"
#include "imagelib/streams/io_file.h"
#include "platform/profile_store.h"
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/oriented_picture.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

ToolRun batch(const std::vector<std::string> &args, const std::string &input = {})
{
    return runBuiltTool("zelventa-batch", args, input);
}

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::string> filesIn(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// zelventa-batch running beside the test, with its stderr on a pipe the
// test reads and, when asked, its stdin on a pipe the test writes.
struct Spawned
{
    pid_t pid = 0;
    int err = -1;
    int in = -1;
};

Spawned spawnBatch(std::vector<std::string> args, bool withInput)
{
    const std::string tool = std::string(ZV_BINARY_DIR) + "/app/zelventa-batch";
    args.insert(args.begin(), tool);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int errFds[2], inFds[2] = {-1, -1};
    Spawned run;
    if (::pipe(errFds) != 0 || (withInput && ::pipe(inFds) != 0))
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errFds[0]);
    if (withInput) {
        posix_spawn_file_actions_adddup2(&actions, inFds[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, inFds[1]);
    }
    if (posix_spawn(&run.pid, tool.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        run.pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(errFds[1]);
    run.err = errFds[0];
    if (withInput) {
        ::close(inFds[0]);
        run.in = inFds[1];
    }
    return run;
}

// Reads fd until what was read holds text or the writer is gone; to the
// end when text is empty.
std::string readUntil(int fd, const std::string &text)
{
    std::string read;
    char chunk[256];
    for (ssize_t n; (text.empty() || !contains(read, text)) && (n = ::read(fd, chunk, sizeof(chunk))) > 0;)
        read.append(chunk, std::size_t(n));
    return read;
}

} // namespace

TEST(BatchCli, UsageErrorsNameTheOption)
{
    const std::string dir = freshFolder("cli-usage");
    writeFile(dir + "/list.txt", dir + "/a.png\t90\n" + dir + "/b.png\t45\n");
    const struct
    {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--shade", "red", "a.png"}, "unknown option --shade"},
        {{"--colour", "bogus", "a.png"}, "--colour: unknown value 'bogus' (srgb|keep)"},
        {{"a.png", "--folder"}, "--folder needs a value"},
        {{"--format", "jpg", "a.png"},
         "--format: unknown value 'jpg' (original|jpeg|gif|bmp|tiff|png|pcx|tga|webp|avif|jxl)"},
        {{"--avif-speed", "11", "a.png"}, "--avif-speed: a number from 0 to 10 is needed"},
        {{"--offsets", "1,2,3", "a.png"}, "--offsets: four numbers L,T,R,B are needed"},
        {{"--jpeg-quality", "101", "a.png"}, "--jpeg-quality: a quality from 0 to 100 is needed"},
        {{"--dpi", "72,x", "a.png"}, "--dpi:"},
        {{"--dpi", "1001", "a.png"}, "--dpi: X or X,Y from 0 to 1000 is needed"},
        {{"--dpi", "72,1001", "a.png"}, "--dpi: X or X,Y from 0 to 1000 is needed"},
        {{"--font", std::string(32, 'F'), "a.png"}, "--font: a family name of 1 to 31 bytes is needed"},
        {{"--stretch", "maybe", "a.png"}, "--stretch: unknown value 'maybe' (yes|no)"},
        {{"--text-color", "red", "a.png"}, "--text-color: a colour RRGGBB is needed"},
        {{"--resize", "800", "a.png"}, "--resize: W,H is needed"},
        {{"--bold=yes", "a.png"}, "--bold takes no value"},
        {{"--jobs", "0", "a.png"}, "--jobs: a number of jobs from 1 to 64 is needed, not '0'"},
        {{"--text", "x", "--no-caption", "a.png"}, "--no-caption: cannot be combined with --text"},
        {{"--list", dir + "/list.txt"},
         "--list: " + dir + "/list.txt: line 2: rotation must be 0, 90, -90 or 180"},
        {{"--profile", dir + "/none.ini", "a.png"}, "--profile: cannot read " + dir + "/none.ini"},
        {{"--prefix", "P", "--same-folder", "a.png"},
         "--prefix: counter names need --folder, not --same-folder"},
        {{"--same-folder", "--prefix", "P", "a.png"},
         "--prefix: counter names need --folder, not --same-folder"},
    };
    for (const auto &c : cases) {
        const ToolRun r = batch(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_TRUE(contains(r.err, std::string("zelventa-batch: ") + c.message)) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(BatchCli, ValidationMessagesExitWithTwoAndWriteNothing)
{
    const std::string dir = freshFolder("cli-valid");
    const std::string picture = writePicture(dir + "/a.png", 8, 8, ZV_TYPE_PNG);
    ToolRun r = batch({"--save-profile", dir + "/p.ini", picture});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "You must specify output folder!\n");
    EXPECT_FALSE(fs::exists(dir + "/p.ini"));
    r = batch({"--folder", dir, "--prefix", "", picture});
    EXPECT_EQ(r.err, "You must specify filename prefix!\n");
    r = batch({"--folder", dir});
    EXPECT_EQ(r.err, "You must select image file at first!\n");
    r = batch({"--folder", dir, "--prefix", "trip/", picture});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Invalid filename prefix [trip/]: it cannot contain \"/\"!\n");
    r = batch({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "usage: zelventa-batch [OPTIONS] PICTURE...\nTry 'zelventa-batch --help' for the options.\n");
}

// The first command line a user types: a text and a colour, nothing else.
TEST(BatchCli, TheDefaultBoxIsStampedWhereTheHelpSays)
{
    const std::string src = freshFolder("cli-default-src"), out = freshFolder("cli-default-out");
    ASSERT_TRUE(solidPicture(400, 200, RGB(255, 255, 255)).Save((src + "/white.png").c_str(), ZV_TYPE_PNG));
    const ToolRun r =
        batch({"--folder", out, "--text", "Hello", "--back-color", "ffff00", src + "/white.png"});
    EXPECT_EQ(r.status, 0) << r.err;
    const ZvImage result = loadedFile(out + "/white.png");
    constexpr COLORREF kYellow = RGB(255, 255, 0), kWhite = RGB(255, 255, 255);
    EXPECT_EQ(colourAt(result, 40, 40), kYellow);
    EXPECT_EQ(colourAt(result, 339, 79), kYellow);
    EXPECT_EQ(colourAt(result, 39, 60), kWhite);
    EXPECT_EQ(colourAt(result, 200, 39), kWhite);
    EXPECT_EQ(colourAt(result, 340, 60), kWhite);
    EXPECT_EQ(colourAt(result, 200, 80), kWhite);
    int dark = 0; // the text, black on the box
    for (int y = 40; y < 80; ++y)
        for (int x = 40; x < 340; ++x)
            dark += GetRValue(colourAt(result, x, y)) < 100;
    EXPECT_GT(dark, 50);
}

TEST(BatchCli, ARunPrintsProgressAndTheSummaryAndStampsTheCaption)
{
    const std::string src = freshFolder("cli-run-src"), out = freshFolder("cli-run-out");
    writePicture(src + "/a.png", 64, 48, ZV_TYPE_PNG);
    writePicture(src + "/b.png", 64, 48, ZV_TYPE_PNG);
    writeFile(src + "/list.txt", src + "/b.png\t90\r\n\r\n");
    const std::vector<std::string> args = {"--prefix",        "Trip",
                                           "--format",        "bmp",
                                           "--text",          "",
                                           "--back-color",    "#FF0000",
                                           "--anchor",        "bottom-right",
                                           "--offsets",       "30,20,10,5",
                                           src + "/a.png",    "--list",
                                           src + "/list.txt", src + "/missing.png"};
    std::vector<std::string> withFolder = {"--folder", out};
    withFolder.insert(withFolder.end(), args.begin(), args.end());
    const ToolRun r = batch(withFolder);
    EXPECT_EQ(r.status, 3) << r.err; // one picture was not saved
    EXPECT_EQ(r.out, "2 files saved to [" + out + "]!\n");
    EXPECT_TRUE(contains(r.err, "Export image file: [a.png] as [Trip0000.BMP]\n"));
    EXPECT_TRUE(contains(r.err, "Export image file: [b.png] as [Trip0001.BMP]\n"));
    EXPECT_TRUE(contains(r.err, "[missing.png] not saved: No such file or directory\n"));
    const ZvImage first = loadedFile(out + "/Trip0000.BMP"), turned = loadedFile(out + "/Trip0001.BMP");
    EXPECT_EQ(colourAt(first, 64 - 11, 48 - 6), RGB(255, 0, 0));
    EXPECT_NE(colourAt(first, 64 - 9, 48 - 6), RGB(255, 0, 0));
    EXPECT_NE(colourAt(first, 64 - 11, 48 - 4), RGB(255, 0, 0));
    ASSERT_EQ(turned.GetWidth(), 48u);
    EXPECT_EQ(colourAt(turned, 48 - 11, 64 - 6), RGB(255, 0, 0));

    // One picture after the other writes the same files as the default, one job per core.
    const std::string one = freshFolder("cli-run-one");
    std::vector<std::string> oneJob = {"--jobs", "1", "--folder", one};
    oneJob.insert(oneJob.end(), args.begin(), args.end());
    EXPECT_EQ(batch(oneJob).status, 3);
    for (const char *name : {"/Trip0000.BMP", "/Trip0001.BMP"})
        EXPECT_TRUE(readFile(one + name) == readFile(out + name)) << name;
}

// --rotate turns the pictures named on the command line (the last one given
// wins); a list's rows keep the turns the list gives them.
TEST(BatchCli, RotateTurnsTheNamedPicturesAndTheListKeepsItsOwn)
{
    const std::string src = freshFolder("cli-rotate-src"), out = freshFolder("cli-rotate-out");
    writePicture(src + "/a.png", 64, 48, ZV_TYPE_PNG);
    writePicture(src + "/b.png", 64, 48, ZV_TYPE_PNG);
    writeFile(src + "/list.txt", src + "/b.png\t180\n");
    const ToolRun r = batch({"--folder", out, "--format", "bmp", "--no-caption", "--rotate", "90", "--rotate",
                             "-90", src + "/a.png", "--list", src + "/list.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    ZvImage left = makePattern24(64, 48), half = makePattern24(64, 48);
    left.RotateLeft();
    half.Rotate180();
    EXPECT_EQ(toRgb(loadedFile(out + "/a.BMP")), toRgb(left));
    EXPECT_EQ(toRgb(loadedFile(out + "/b.BMP")), toRgb(half));
}

// The newer formats are written with their own settings: lossless gives the
// PNG export's pixels exactly, and each quality option reaches its encoder.
TEST(BatchCli, NewerFormatsWithTheirQualityOptions)
{
    const std::string src = freshFolder("cli-new-src");
    const std::string picture = writePicture(src + "/a.png", 64, 48, ZV_TYPE_PNG);
    const std::string png = freshFolder("cli-new-png");
    ASSERT_EQ(batch({"--folder", png, "--format", "png", "--text", "Hi", picture}).status, 0);
    const ZvImage reference = loadedFile(png + "/a.PNG");
    for (const char *format : {"webp", "jxl"}) {
        const std::string out = freshFolder(std::string("cli-new-") + format);
        const ToolRun r = batch({"--folder", out, "--format", format, "--lossless", "--text", "Hi", picture});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string name = out + "/a." + (std::string(format) == "webp" ? "WEBP" : "JXL");
        EXPECT_EQ(toRgb(loadedFile(name)), toRgb(reference)) << format;
    }
    const struct
    {
        const char *format, *option, *extension;
    } lossy[] = {{"webp", "--webp-quality", "/a.WEBP"},
                 {"avif", "--avif-quality", "/a.AVIF"},
                 {"jxl", "--jxl-quality", "/a.JXL"}};
    for (const auto &c : lossy) {
        std::size_t sizes[2] = {};
        for (int i = 0; i < 2; ++i) {
            const std::string out = freshFolder(std::string("cli-q-") + c.format + std::to_string(i));
            ASSERT_EQ(
                batch({"--folder", out, "--format", c.format, c.option, i ? "5" : "95", picture}).status, 0);
            sizes[i] = readFile(out + c.extension).size();
        }
        EXPECT_LT(sizes[1], sizes[0]) << c.option;
    }
}

TEST(BatchCli, ProfilesAreWrittenAfterValidationAndReadWithOverrides)
{
    const std::string src = freshFolder("cli-prof-src"), out = freshFolder("cli-prof-out");
    const std::string picture = writePicture(src + "/a.png", 40, 20, ZV_TYPE_PNG);
    const std::vector<std::string> resize = {"--resize",      "50,x",     "--unit",    "percent",
                                             "--keep-aspect", "by-width", "--stretch", "yes"};
    std::vector<std::string> args = {"--folder",     out,     "--quality", "high",           "--format",
                                     "tga",          "--dpi", "150,120",   "--save-profile", src + "/p.ini",
                                     "--no-caption", picture};
    args.insert(args.end(), resize.begin(), resize.end());
    ToolRun r = batch(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(src + "/p.ini"),
              "[Export Option]\nSaveFolder=" + out +
                  "\nSavePrifix=-1\nSaveFormat=7\nJpegQuality=90\n"
                  "XResolution=150\nYResolution=120\nResizeImage=1\nResizeWidth=50\nResizeHeight=x\nUnit=1\n"
                  "AllowStretch=1\nAspectRatio=1\nRestrictWidth=0\nRestrictHeight=1\nQuality=2\n");
    EXPECT_EQ(loadedFile(out + "/a.TGA").GetWidth(), 20u);

    r = batch({"--profile", src + "/p.ini", "--format", "png", "--no-caption", picture});
    EXPECT_EQ(r.status, 0) << r.err;
    const ZvImage again = loadedFile(out + "/a.PNG");
    EXPECT_EQ(again.GetWidth(), 20u);
    EXPECT_EQ(again.GetHeight(), 10u);

    // The upper bounds are values like any other, and the face name fills its 31 bytes.
    r = batch({"--folder", out, "--format", "jpeg", "--jpeg-quality", "100", "--dpi", "1000", "--font",
               std::string(31, 'F'), "--stretch", "no", "--save-profile", src + "/bounds.ini", picture});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string stored = readFile(src + "/bounds.ini");
    for (const char *line :
         {"\nJpegQuality=100\n", "\nXResolution=1000\nYResolution=1000\n", "\nAllowStretch=0\n"})
        EXPECT_TRUE(contains(stored, line)) << line << " not in " << stored;
    EXPECT_EQ(loadedFile(out + "/a.JPG").GetXDPI(), 1000);
}

// The colour choice is stored as the dialog stores it; on its own it turns
// nothing else on, as the help says it applies with --keep-metadata.
TEST(BatchCli, ColourChoiceIsParsedStoredAndExplained)
{
    const std::string src = freshFolder("cli-colour-src"), out = freshFolder("cli-colour-out");
    const std::string picture = writePicture(src + "/a.png", 40, 20, ZV_TYPE_PNG);
    auto stored = [&](std::vector<std::string> colour) {
        std::vector<std::string> args = {
            "--folder", out, "--overwrite", "yes", "--no-caption", "--save-profile", src + "/p.ini", picture};
        args.insert(args.begin(), colour.begin(), colour.end());
        std::filesystem::remove(src + "/p.ini");
        const ToolRun r = batch(args);
        EXPECT_EQ(r.status, 0) << r.err;
        ProfileStore profile(src + "/p.ini");
        return profile.GetProfileString("Export Option", "KeepPhotoInfo") + "/" +
               profile.GetProfileString("Export Option", "KeepColourSpace");
    };
    EXPECT_EQ(stored({"--keep-metadata", "--colour", "keep"}), "1/1");
    EXPECT_EQ(stored({"--colour", "keep"}), "/1");
    EXPECT_EQ(stored({"--colour=keep", "--keep-metadata", "--colour", "srgb"}), "1/");
    EXPECT_EQ(stored({}), "/");

    const ToolRun help = batch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.out, "  --colour srgb|keep   applies with --keep-metadata")) << help.out;
}

// A preset (by file or by name) gives the job that its options given
// directly give; options on the command line win over the preset's.
TEST(BatchCli, PresetsGiveTheSameFilesAsTheirOptionsGivenDirectly)
{
    const std::string src = freshFolder("cli-preset-src"), config = freshFolder("cli-preset-config");
    const std::vector<std::string> pictures = {writePicture(src + "/a.png", 160, 90, ZV_TYPE_PNG),
                                               writePicture(src + "/b.bmp", 90, 160, ZV_TYPE_BMP)};
    const std::string direct = freshFolder("cli-preset-direct");
    std::vector<std::string> args = {
        "--folder",     direct,      "--format",     "png",      "--text",  "Sea\\nside",    "--bold",
        "--back-color", "1f4e79",    "--text-color", "ffffff",   "--align", "left",          "--anchor",
        "bottom-right", "--offsets", "120,40,10,10", "--resize", "120,120", "--keep-aspect", "by-width"};
    args.insert(args.end(), pictures.begin(), pictures.end());
    ToolRun r = batch(args);
    ASSERT_EQ(r.status, 0) << r.err;

    // The preset's own text and folder lose to --text and --folder.
    const std::string preset = "[Caption]\nText=Other\nFontWeight=700\nTextColor=#FFFFFF\nBackColor=#1F4E79\n"
                               "Align=left\nAnchor=bottom-right\nOffsets=120,40,10,10\n"
                               "[Export Option]\nSaveFolder=/nowhere\nSaveFormat=5\nResizeImage=1\n"
                               "ResizeWidth=120\nResizeHeight=120\nAspectRatio=1\nRestrictWidth=0\n"
                               "RestrictHeight=1\n";
    writeFile(config + "/job.ini", preset);
    fs::create_directories(config + "/zelventa/presets");
    writeFile(config + "/zelventa/presets/Sea side.ini", preset);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    for (const std::vector<std::string> &given :
         {std::vector<std::string>{"--preset-file", config + "/job.ini"},
          std::vector<std::string>{"--preset", "Sea side"}}) {
        const std::string out = freshFolder("cli-preset-" + std::to_string(given[0].size()));
        std::vector<std::string> withPreset = given;
        withPreset.insert(withPreset.end(), {"--folder", out, "--text", "Sea\\nside"});
        withPreset.insert(withPreset.end(), pictures.begin(), pictures.end());
        r = batch(withPreset);
        ASSERT_EQ(r.status, 0) << given[0] << ": " << r.err;
        for (const char *name : {"/a.PNG", "/b.PNG"})
            EXPECT_TRUE(readFile(direct + name) == readFile(out + name)) << given[0] << name;
    }

    // A missing or damaged preset: a usage error that says why, nothing written.
    writeFile(config + "/bad.ini", "[Caption]\nAnchor=9\n");
    writeFile(config + "/noise.ini", std::string("\x89PNG\r\n\x1a\n\0\0garbage", 17));
    const std::string none = freshFolder("cli-preset-none");
    for (const auto &[option, value, message] :
         {std::tuple<std::string, std::string, std::string>{"--preset", "Nope",
                                                            "There is no preset named [Nope]"},
          {"--preset-file", config + "/bad.ini", "is damaged:\nAnchor: "},
          {"--preset-file", config + "/noise.ini", "is not a preset: it holds binary data"},
          {"--preset-file", config + "/absent.ini", "Cannot read the preset file"}}) {
        r = batch({option, value, "--folder", none, pictures[0]});
        EXPECT_EQ(r.status, 2) << option << " " << value;
        EXPECT_TRUE(contains(r.err, option + ": ") && contains(r.err, message)) << r.err;
    }
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(filesIn(none).empty());
}

TEST(BatchCli, OverwriteAnswers)
{
    const std::string src = freshFolder("cli-over");
    const std::string picture = writePicture(src + "/a.png", 16, 16, ZV_TYPE_PNG);
    const std::string before = readFile(picture);
    const std::vector<std::string> common = {"--same-folder", "--back-color", "00ff00",
                                             "--offsets",     "0,0,8,8",      picture};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.end(), common.begin(), common.end());
        return extra;
    };
    ToolRun r = batch(common); // no terminal: the answer is no
    EXPECT_EQ(r.out, "0 files saved to [" + src + "/]!\n");
    EXPECT_EQ(readFile(picture), before);
    r = batch(with({"--overwrite", "cancel"}));
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "0 files saved to [" + src + "/]!\n");
    // The picture is its own output: without --replace-originals no answer replaces it.
    r = batch(with({"--overwrite", "yes"}));
    EXPECT_EQ(r.out, "0 files saved to [" + src + "/]!\n");
    EXPECT_TRUE(contains(r.err, "[a.png] not saved: [a.png] already exists and is one of the original"));
    EXPECT_EQ(readFile(picture), before);
    r = batch(with({"--overwrite", "ask", "--replace-originals"}), "maybe\nn\n");
    EXPECT_TRUE(contains(r.err, "This replaces the original photograph\n  " + picture));
    EXPECT_EQ(readFile(picture), before);
    r = batch(with({"--overwrite", "ask", "--replace-originals"}), "y\n");
    EXPECT_EQ(r.out, "1 files saved to [" + src + "/]!\n");
    EXPECT_NE(readFile(picture), before);
}

// --jobs reaches the run: while it waits at the overwrite question the run
// holds one worker thread per job (there are more pictures than jobs).
TEST(BatchCli, JobsSetTheWorkerThreadsOfTheRun)
{
    const std::string src = freshFolder("cli-jobs");
    std::vector<std::string> pictures;
    for (const char *name : {"a", "b", "c", "d", "e", "f"})
        pictures.push_back(writePicture(src + "/" + name + ".png", 8, 8, ZV_TYPE_PNG));
    const auto threadsAtTheQuestion = [&](const std::string &jobs) {
        std::vector<std::string> args = {"--jobs",      jobs,  "--same-folder",      "--no-caption",
                                         "--overwrite", "ask", "--replace-originals"};
        args.insert(args.end(), pictures.begin(), pictures.end());
        const Spawned run = spawnBatch(args, true);
        EXPECT_NE(run.pid, 0);
        std::string shown = readUntil(run.err, "or [c]ancel: ");
        int threads = 0;
        std::error_code ec;
        for (fs::directory_iterator it("/proc/" + std::to_string(run.pid) + "/task", ec), end;
             !ec && it != end; it.increment(ec))
            ++threads;
        // A run that ended without asking has nobody left to read the answer.
        if (contains(shown, "[c]ancel: ")) {
            EXPECT_EQ(::write(run.in, "c\n", 2), 2);
        }
        ::close(run.in);
        shown += readUntil(run.err, {});
        ::close(run.err);
        int status = 0;
        EXPECT_EQ(::waitpid(run.pid, &status, 0), run.pid);
        EXPECT_TRUE(contains(shown, "This replaces the original photograph")) << shown;
        return threads;
    };
    const int two = threadsAtTheQuestion("2"), five = threadsAtTheQuestion("5");
    EXPECT_GT(two, 2);
    EXPECT_EQ(five - two, 3);
}

TEST(BatchCli, AnOutputFolderThatCannotBeUsedExitsWithOne)
{
    const std::string src = freshFolder("cli-nofolder");
    const std::string picture = writePicture(src + "/a.png", 8, 8, ZV_TYPE_PNG);
    const ToolRun r = batch({"--folder", src + "/absent", "--prefix", "P", picture});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "Cannot write into the output folder [" + src +
                                    "/absent]: No such file or directory\n"));
    EXPECT_FALSE(fs::exists(src + "/absent"));
}

// On a terminal the progress is one bar line redrawn in place, cleared
// before the summary; `script` gives the program a terminal.
TEST(BatchCli, OnATerminalTheProgressIsABarRedrawnInPlace)
{
    const std::string src = freshFolder("cli-bar-src"), out = freshFolder("cli-bar-out");
    writePicture(src + "/a.png", 8, 8, ZV_TYPE_PNG);
    writePicture(src + "/b.png", 8, 8, ZV_TYPE_PNG);
    const std::string command = shellQuoted(std::string(ZV_BINARY_DIR) + "/app/zelventa-batch") +
                                " --folder " + shellQuoted(out) + " --no-caption --format bmp " +
                                shellQuoted(src + "/a.png") + " " + shellQuoted(src + "/b.png");
    std::string shown;
    ASSERT_EQ(runCommand("script -qec " + shellQuoted(command) + " /dev/null </dev/null", &shown), 0)
        << shown;
    const std::string bar0 = "\r[------------------------]   0% [a.png] as [a.BMP]\x1b[K";
    const std::string bar50 = "\r[############------------]  50% [b.png] as [b.BMP]\x1b[K";
    const std::string bar100 = "\r[########################] 100% [b.png] as [b.BMP]\x1b[K";
    const std::size_t at0 = shown.find(bar0), at50 = shown.find(bar50), at100 = shown.find(bar100);
    ASSERT_NE(at0, std::string::npos) << shown;
    ASSERT_NE(at50, std::string::npos) << shown;
    ASSERT_NE(at100, std::string::npos) << shown;
    EXPECT_LT(at0, at50);
    EXPECT_LT(at50, at100);
    EXPECT_NE(shown.find("\r\x1b[K2 files saved to [" + out + "]!"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Export image file"), std::string::npos); // no log lines on a terminal
}

// The first Ctrl-C while a picture is made stops it: exit 130, nothing
// written. Two in a row during a save end the program at once and leave
// neither the temporary file nor a partial picture behind; when the save
// was done before they could land, the picture must be whole, and the race
// is tried again.
TEST(BatchCli, InterruptsStopThePictureBeingMadeAndLeaveNoTemporaryFile)
{
    const std::string src = freshFolder("cli-int-src"), out = freshFolder("cli-int-out");
    ASSERT_TRUE(makeNoise(3000, 3000, 24, 7).Save((src + "/big.bmp").c_str(), ZV_TYPE_BMP));
    const std::vector<std::string> args = {"--folder", out,   "--no-caption",
                                           "--format", "png", src + "/big.bmp"};

    // One interrupt while the picture is made: it is abandoned, nothing is written.
    Spawned run = spawnBatch(args, false);
    ASSERT_NE(run.pid, 0);
    readUntil(run.err, "Export image file: [big.bmp]");
    ::kill(run.pid, SIGINT);
    const std::string rest = readUntil(run.err, {});
    ::close(run.err);
    int status = 0;
    ASSERT_EQ(::waitpid(run.pid, &status, 0), run.pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << rest;
    EXPECT_TRUE(fs::is_empty(out));

    // A second one in the middle of a save ends the program at once.
    bool interruptedDuringSave = false;
    for (int attempt = 0; attempt < 5 && !interruptedDuringSave; ++attempt) {
        fs::remove_all(out);
        fs::create_directories(out);
        run = spawnBatch(args, false);
        ASSERT_NE(run.pid, 0);
        readUntil(run.err, "Export image file: [big.bmp]");
        ::close(run.err); // nothing more is written to it until the end
        bool sawTemporary = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!sawTemporary && std::chrono::steady_clock::now() < deadline) {
            std::error_code ec;
            for (fs::directory_iterator it(out, ec), end; !ec && it != end; it.increment(ec))
                sawTemporary =
                    sawTemporary || it->path().filename().string().find(".zvtmp") != std::string::npos;
        }
        // Again and again, a little apart so that two are not merged into
        // one pending signal, until the program has ended (a zombie until
        // waited for, so the pid is not reused meanwhile).
        siginfo_t ended{};
        do {
            ::kill(run.pid, SIGINT);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ended.si_pid = 0;
        } while (::waitid(P_PID, id_t(run.pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                 ended.si_pid == 0);
        ASSERT_EQ(::waitpid(run.pid, &status, 0), run.pid);
        ASSERT_TRUE(sawTemporary);
        // Whatever stays is the whole picture under its own name, never a
        // temporary file. A signal that landed after the rename rightly
        // leaves the finished file; only a run that ended by the signal
        // with nothing written was stopped in the middle of its save.
        bool finished = false;
        for (const auto &e : fs::directory_iterator(out)) {
            EXPECT_EQ(e.path().filename(), "big.PNG") << e.path() << " left behind";
            EXPECT_EQ(loadedFile(e.path().string()).GetHeight(), 3000u);
            finished = true;
        }
        interruptedDuringSave = WIFSIGNALED(status) && WTERMSIG(status) == SIGINT && !finished;
    }
    EXPECT_TRUE(interruptedDuringSave);
}

// A phone portrait: stored 300 x 400 with tag 6, upright 400 x 300.
TEST(BatchCli, PicturesComeOutUprightUnlessAskedToKeepTheStoredPixels)
{
    const std::string src = freshFolder("cli-orient-src");
    const std::string picture = src + "/portrait.jpg";
    ASSERT_TRUE(writeOrientedJpeg(picture, 300, 400, 6));
    const auto exported = [&](const std::vector<std::string> &extra) {
        const std::string out = freshFolder("cli-orient-out");
        std::vector<std::string> args = {"--folder",        out,           "--format", "jpeg",
                                         "--keep-metadata", "--no-caption"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(picture);
        const ToolRun r = batch(args);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string path = out + "/portrait.JPG";
        ZvImageJPG codec;
        ZvIOFile file;
        if (file.Open(path.c_str(), "rb"))
            codec.DecodeExif(&file);
        const ZvImage shown = loadedFile(path);
        return std::make_tuple(shown.GetWidth(), shown.GetHeight(), codec.GetExifInfo().orientation,
                               markedCorner(toRgb(shown)));
    };
    EXPECT_EQ(exported({}), std::make_tuple(400u, 300u, 1, std::string("top-right")));
    EXPECT_EQ(exported({"--no-auto-orient", "--save-profile", src + "/p.ini"}),
              std::make_tuple(300u, 400u, 6, std::string("top-left")));
    EXPECT_TRUE(contains(readFile(src + "/p.ini"), "\nAutoOrient=0\n"));
}

// --dry-run lists what the run would do as the answers given decide, and
// writes nothing; the run then does just that.
TEST(BatchCli, DryRunListsWhatTheRunThenDoes)
{
    const std::string src = freshFolder("cli-dry-src"), out = freshFolder("cli-dry-out");
    const std::string a = writePicture(src + "/a.png", 30, 20, ZV_TYPE_PNG);
    const std::string b = writePicture(src + "/b.png", 30, 20, ZV_TYPE_PNG);
    writeFile(src + "/c.png", "text, not a picture");
    writePicture(out + "/b.BMP", 4, 4, ZV_TYPE_BMP);
    const std::vector<std::string> args = {"--folder", out,      "--format",    "bmp",           "--resize",
                                           "50,50",    "--unit", "percent",     "--keep-aspect", "by-width",
                                           a,          b,        src + "/c.png"};
    std::vector<std::string> dry = args;
    dry.insert(dry.begin(), "--dry-run");
    ToolRun r = batch(dry);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[a.png]\t[a.BMP]\t15 x 10\tBMP\tnew\n"
                     "[b.png]\t[b.BMP]\t15 x 10\tBMP\texisting file kept\n"
                     "[c.png]\t[c.BMP]\t-\tBMP\tunreadable\n");
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"b.BMP"}));
    r = batch(args);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(loadedFile(out + "/a.BMP").GetWidth(), 15u);
    EXPECT_EQ(loadedFile(out + "/b.BMP").GetWidth(), 4u);
}

// A cut-off JPEG is saved only with --accept-damaged, and named either way.
TEST(BatchCli, DamagedPicturesNeedAcceptDamaged)
{
    const std::string src = freshFolder("cli-dmg-src"), out = freshFolder("cli-dmg-out");
    const std::string cut = writePicture(src + "/cut.jpg", 64, 48, ZV_TYPE_JPG);
    const std::string bytes = readFile(cut);
    writeFile(cut, bytes.substr(0, bytes.size() * 2 / 3));
    ToolRun r = batch({"--folder", out, "--no-caption", cut});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(contains(r.err, "[cut.jpg] not saved: damaged: the file ends early")) << r.err;
    EXPECT_TRUE(filesIn(out).empty());
    r = batch({"--folder", out, "--no-caption", "--accept-damaged", cut});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(contains(r.err, "[cut.jpg] saved although damaged: the file ends early")) << r.err;
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"cut.jpg"}));
}
