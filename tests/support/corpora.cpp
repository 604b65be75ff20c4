// tests/support/corpora.cpp
#include "tests/support/corpora.h"
#include "tests/support/pictures.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

std::string corporaDir()
{
    if (const char *env = std::getenv("ZV_CORPORA"); env && *env)
        return env;
    return ZV_CORPORA_DIR;
}

bool corporaPresent(const std::string &sub)
{
    std::error_code ec;
    return fs::is_directory(corporaDir() + "/" + sub, ec);
}

std::vector<std::string> listFiles(const std::string &dir, const std::string &extension, bool recursive)
{
    std::vector<std::string> files;
    std::error_code ec;
    auto take = [&](const fs::directory_entry &e) {
        if (!e.is_regular_file())
            return;
        const std::string p = e.path().string();
        if (extension.empty() || e.path().extension() == extension)
            files.push_back(p);
    };
    if (recursive) {
        for (const auto &e : fs::recursive_directory_iterator(dir, ec))
            take(e);
    } else {
        for (const auto &e : fs::directory_iterator(dir, ec))
            take(e);
    }
    std::sort(files.begin(), files.end());
    return files;
}

int runCommand(const std::string &command, std::string *out)
{
    FILE *p = ::popen(command.c_str(), "r");
    if (!p)
        return -1;
    std::array<char, 65536> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) {
        if (out)
            out->append(buf.data(), n);
    }
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveImageMagick()
{
    static const bool have = runCommand("command -v convert >/dev/null 2>&1") == 0;
    return have;
}

std::string scratchDir()
{
    static std::string dir;
    if (dir.empty()) {
        std::string tmpl = (fs::temp_directory_path() / "zvtest-XXXXXX").string();
        if (::mkdtemp(tmpl.data()))
            dir = tmpl;
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(dir, ec);
        });
    }
    return dir;
}

std::string shellQuoted(const std::string &arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

ToolRun runBuiltTool(const std::string &tool, const std::vector<std::string> &args, const std::string &input)
{
    static int counter = 0;
    const std::string base = scratchDir() + "/" + tool + "-" + std::to_string(counter++);
    std::string command = shellQuoted(std::string(ZV_BINARY_DIR) + "/app/" + tool);
    for (const std::string &a : args)
        command += " " + shellQuoted(a);
    writeFile(base + ".in", input);
    command += " <" + shellQuoted(base + ".in") + " 2>" + shellQuoted(base + ".err");
    ToolRun r;
    r.status = runCommand(command, &r.out);
    r.err = readFile(base + ".err");
    return r;
}
