// tests/platform/profile_store_test.cpp
#include "platform/profile_store.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string freshProfile(const std::string &name)
{
    const std::string path = scratchDir() + "/" + name + ".ini";
    fs::remove(path);
    return path;
}

} // namespace

TEST(ProfileStore, AMissingFileReadsEmpty)
{
    ProfileStore store(freshProfile("missing"));
    EXPECT_EQ(store.GetProfileString("Export Option", "SaveFolder"), "");
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
}

TEST(ProfileStore, AFailedWriteLeavesTheFile)
{
    const std::string dir = scratchDir() + "/ro";
    fs::create_directories(dir);
    const std::string path = dir + "/z.ini";
    writeFile(path, "[S]\nK=old\n");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    ProfileStore store(path);
    const bool wrote = store.WriteProfileString("S", "K", "new");
    fs::permissions(dir, fs::perms::owner_all);
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    EXPECT_FALSE(wrote);
    EXPECT_EQ(readFile(path), "[S]\nK=old\n");
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
