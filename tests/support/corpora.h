// tests/support/corpora.h
#pragma once

#include <string>
#include <vector>

// The public picture suites beside the project (ZV_CORPORA overrides the
// built-in path). Tests that need them skip when they are absent.
std::string corporaDir();
bool corporaPresent(const std::string &sub);
// Regular files under dir (recursively when asked), sorted, whole paths.
std::vector<std::string> listFiles(const std::string &dir, const std::string &extension = {},
                                   bool recursive = false);

#define ZV_REQUIRE_CORPUS(sub)                                                                               \
    do {                                                                                                     \
        if (!corporaPresent(sub))                                                                            \
            GTEST_SKIP() << "corpus " << (sub) << " not found under " << corporaDir();                       \
    } while (0)

// An independent decoder for comparisons; empty when ImageMagick is missing.
bool haveImageMagick();
// Runs a shell command; returns its exit status and stdout.
int runCommand(const std::string &command, std::string *out = nullptr);
// A fresh private folder for the test's files, removed at exit.
std::string scratchDir();

// The argument as one single-quoted shell word.
std::string shellQuoted(const std::string &arg);

// What a built executable printed and how it ended.
struct ToolRun
{
    int status = -1;
    std::string out;
    std::string err;
};
// Runs build/app/<tool> with args, stdin from input (empty: nothing).
ToolRun runBuiltTool(const std::string &tool, const std::vector<std::string> &args,
                     const std::string &input = {});
