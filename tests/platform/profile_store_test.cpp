// tests/platform/profile_store_test.cpp
#include "platform/profile_store.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string freshProfile(const std::string &name)
{
    const std::string path = scratchDir() + "/" + name + ".ini";
    fs::remove(path);
    return path;
}

// Sets (or with nullopt removes) an environment variable for one scope.
class ScopedEnv
{
  public:
    ScopedEnv(const char *name, std::optional<std::string> value)
        : mName(name)
    {
        if (const char *old = std::getenv(name))
            mOld = old;
        set(value);
    }
    ~ScopedEnv() { set(mOld); }

  private:
    void set(const std::optional<std::string> &value)
    {
        if (value)
            ::setenv(mName, value->c_str(), 1);
        else
            ::unsetenv(mName);
    }
    const char *mName;
    std::optional<std::string> mOld;
};

} // namespace

TEST(ProfileStore, AMissingFileReadsEmpty)
{
    ProfileStore store(freshProfile("missing"));
    EXPECT_EQ(store.GetProfileString("Export Option", "SaveFolder"), "");
}

TEST(ProfileStore, TheDefaultFileLivesInTheUsersConfigFolder)
{
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/x/cfg");
        EXPECT_EQ(ProfileStore::defaultPath(), "/x/cfg/zelventa/zelventa.ini");
        EXPECT_EQ(ProfileStore().path(), "/x/cfg/zelventa/zelventa.ini");
    }
    ScopedEnv home("HOME", "/home/u");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(ProfileStore::defaultPath(), "/home/u/.config/zelventa/zelventa.ini");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(ProfileStore::defaultPath(), "/home/u/.config/zelventa/zelventa.ini");
}

TEST(ProfileStore, AKeyIsReadFromItsOwnSectionOnly)
{
    const std::string path = freshProfile("sections");
    writeFile(path, "Loose=top\n[A]\nFolder = \"/home/u/My Pictures\"\nEmpty=\"\"\nSingle='x'\n"
                    "Command=tool --size=2\n[B]\nOnly=b\n");
    const ProfileStore store(path);
    EXPECT_EQ(store.GetProfileString("A", "Folder"), "/home/u/My Pictures"); // quotes dropped
    EXPECT_EQ(store.GetProfileString("A", "Empty"), "");
    EXPECT_EQ(store.GetProfileString("A", "Single"), "x");
    EXPECT_EQ(store.GetProfileString("A", "Command"), "tool --size=2"); // split at the first '='
    EXPECT_EQ(store.GetProfileString("A", "Only"), "");                 // that one is in [B]
    EXPECT_EQ(store.GetProfileString("B", "Only"), "b");
    EXPECT_EQ(store.GetProfileString("A", "Loose"), ""); // before any section
    EXPECT_EQ(store.GetProfileString("B", "Folder"), "");
}

TEST(ProfileStore, WritesCreateTheFolderFileSectionAndKey)
{
    const std::string path = scratchDir() + "/deep/er/z.ini";
    ProfileStore store(path);
    ASSERT_TRUE(store.WriteProfileString("Export Option", "SaveFolder", "/home/u/out"));
    ASSERT_TRUE(store.WriteProfileString("Export Option", "SavePrifix", "-1"));
    ASSERT_TRUE(store.WriteProfileString("TWAIN", "TwainSource", "1"));
    ASSERT_TRUE(store.WriteProfileString("Export Option", "SaveFolder", "/x"));
    EXPECT_EQ(readFile(path), "[Export Option]\nSaveFolder=/x\nSavePrifix=-1\n\n[TWAIN]\nTwainSource=1\n");
    EXPECT_EQ(store.GetProfileString("export option", "savefolder"), "/x");
}

TEST(ProfileStore, AWriteKeepsEveryOtherLineAsItWas)
{
    const std::string path = freshProfile("keep");
    writeFile(path, "; written by hand\r\n[Other]\r\nA = 1\r\n\r\n[Export Option]\r\n"
                    "JpegQuality = 80\r\nmystery line\r\n\r\n[Tail]\r\nB=2\r\n");
    ProfileStore store(path);
    EXPECT_EQ(store.GetProfileString("Export Option", "JpegQuality"), "80");
    EXPECT_EQ(store.GetProfileString("Other", "A"), "1");
    ASSERT_TRUE(store.WriteProfileString("Export Option", "JpegQuality", "75"));
    ASSERT_TRUE(store.WriteProfileString("Export Option", "Unit", "1"));
    EXPECT_EQ(readFile(path), "; written by hand\r\n[Other]\r\nA = 1\r\n\r\n[Export Option]\r\n"
                              "JpegQuality=75\nmystery line\r\nUnit=1\n\r\n[Tail]\r\nB=2\r\n");

    // A key for a section that has no lines yet goes right under its heading.
    writeFile(path, "[Empty]\n[Next]\nX=1\n");
    ASSERT_TRUE(store.WriteProfileString("Empty", "K", "v"));
    EXPECT_EQ(readFile(path), "[Empty]\nK=v\n[Next]\nX=1\n");
    EXPECT_EQ(store.GetProfileString("Next", "K"), "");
}

// A disk that fills up halfway through the new text; the file size limit
// holds for every user, root included.
TEST(ProfileStore, AWriteCutShortLeavesTheOldFile)
{
    const std::string dir = scratchDir() + "/full";
    fs::create_directories(dir);
    const std::string path = dir + "/z.ini";
    writeFile(path, "[S]\nK=old\n");
    ProfileStore store(path);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool wrote = store.WriteProfileString("S", "K", std::string(200, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(readFile(path), "[S]\nK=old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(ProfileStore, AnUnreplaceableTargetFailsWithoutDebris)
{
    const std::string dir = scratchDir() + "/blocked";
    fs::create_directories(dir + "/z.ini/inside");
    ProfileStore store(dir + "/z.ini");
    EXPECT_FALSE(store.WriteProfileString("S", "K", "v"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(ProfileStore, NumbersReadLikeAtoi)
{
    EXPECT_EQ(profileAtoi("  42abc"), 42);
    EXPECT_EQ(profileAtoi("-7"), -7);
    EXPECT_EQ(profileAtoi("+3"), 3);
    EXPECT_EQ(profileAtoi("abc"), 0);
    EXPECT_EQ(profileAtoi(""), 0);
    EXPECT_EQ(profileAtoi("99999999999999"), 2147483647);
    EXPECT_EQ(profileAtoi("-99999999999999"), -2147483647 - 1);
}
