// tests/export/batch_shard_test.cpp
// zelventa-batch --shard: one list shared by several runs at once.
#include "tests/export/export_test_support.h"
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

ToolRun batch(const std::vector<std::string> &args)
{
    return runBuiltTool("zelventa-batch", args);
}

// Every file of folder by name, with its bytes.
std::map<std::string, std::string> filesOf(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = readFile(entry.path().string());
    return files;
}

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

// Four shards run at once through GNU parallel into one folder write exactly
// the files of the single run, name for name and byte for byte.
TEST(BatchShard, FourShardsAtOnceMakeTheSingleRunsFiles)
{
    if (std::system("parallel --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "GNU parallel is not installed (scripts/deps.sh test)";
    const std::string src = freshFolder("shard-src");
    std::string list;
    for (int i = 0; i < 11; ++i) {
        const std::string path = src + "/p" + std::to_string(i) + ".png";
        writePicture(path, 40 + 3 * i, 30 + i, ZV_TYPE_PNG);
        list += path + (i % 3 == 1 ? "\t90\n" : "\n");
    }
    writeFile(src + "/list.txt", list);
    const std::vector<std::string> common = {"--prefix", "Shot",           "--format",  "png",
                                             "--text",   "Agency",         "--offsets", "2,2,30,14",
                                             "--list",   src + "/list.txt"};
    const std::string single = freshFolder("shard-single"), shared = freshFolder("shard-shared");
    std::vector<std::string> args = {"--folder", single};
    args.insert(args.end(), common.begin(), common.end());
    ASSERT_EQ(batch(args).status, 0);

    std::string command = "parallel --jobs 4 --halt now,fail=1 " +
                          shellQuoted(std::string(ZV_BINARY_DIR) + "/app/zelventa-batch") +
                          " --shard {}/4 --folder " + shellQuoted(shared);
    for (const std::string &arg : common)
        command += " " + shellQuoted(arg);
    command += " ::: 0 1 2 3 2>/dev/null >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const std::map<std::string, std::string> expected = filesOf(single);
    ASSERT_EQ(expected.size(), 11u);
    EXPECT_EQ(expected.begin()->first, "Shot0000.PNG");
    EXPECT_EQ(expected.rbegin()->first, "Shot0010.PNG");
    EXPECT_TRUE(filesOf(shared) == expected);
}

// A shard takes every N-th row from K on and names each by its row in the
// whole list; a name already there is reported, not moved to a free number.
TEST(BatchShard, ShardRowsKeepTheirNumbersAndATakenNameIsReported)
{
    const std::string src = freshFolder("shard-rows"), out = freshFolder("shard-rows-out");
    std::vector<std::string> args = {"--shard", "1/3", "--folder", out, "--prefix", "P", "--format", "bmp"};
    for (int i = 0; i < 8; ++i)
        args.push_back(writePicture(src + "/r" + std::to_string(i) + ".png", 8, 8, ZV_TYPE_PNG));
    writeFile(out + "/P0004.BMP", "someone else's");
    const ToolRun r = batch(args);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.out, "2 files saved to [" + out + "]!\n");
    EXPECT_TRUE(contains(r.err, "[r4.png] not saved: [P0004.BMP] already exists and was kept")) << r.err;
    EXPECT_EQ(readFile(out + "/P0004.BMP"), "someone else's");
    std::vector<std::string> names;
    for (const auto &[name, bytes] : filesOf(out))
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"P0001.BMP", "P0004.BMP", "P0007.BMP"}));

    // A shard past the end of the list has nothing to do and says so.
    const ToolRun empty = batch({"--shard", "5/6", "--folder", out, src + "/r0.png"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "0 files saved to [" + out + "]!\n");
    for (const char *bad : {"4/4", "1", "0/0"}) {
        const ToolRun wrong = batch({"--shard", bad, "--folder", out, src + "/r0.png"});
        EXPECT_EQ(wrong.status, 2) << bad;
        EXPECT_TRUE(contains(wrong.err, "--shard: K/N with 0 <= K < N is needed")) << bad << wrong.err;
    }
}
