// platform/profile_store.cpp
#include "platform/profile_store.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// "[name]" gives name; anything else is not a section line.
bool sectionName(std::string_view line, std::string_view &name)
{
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    name = trim(line.substr(1, close - 1));
    return true;
}

bool keyLine(std::string_view line, std::string_view &key, std::string_view &value)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return !key.empty() && key.front() != ';';
}

// A value written in matching quotes stands for the text between them.
std::string_view unquoted(std::string_view v)
{
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        v = v.substr(1, v.size() - 2);
    return v;
}

std::vector<std::string> readLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Replaces the key's line in the section, or adds it after the section's
// last non-blank line, or adds the section at the end.
void setKey(std::vector<std::string> &lines, std::string_view section, std::string_view key,
            std::string_view value)
{
    const std::string entry = std::string(key) + "=" + std::string(value);
    bool inSection = false;
    std::ptrdiff_t sectionEnd = -1; // index after the section's last non-blank line
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, k, v;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break;
            inSection = sameText(name, section);
            if (inSection)
                sectionEnd = std::ptrdiff_t(i + 1);
        } else if (inSection) {
            if (keyLine(lines[i], k, v) && sameText(k, key)) {
                lines[i] = entry;
                return;
            }
            if (!trim(lines[i]).empty())
                sectionEnd = std::ptrdiff_t(i + 1);
        }
    }
    if (sectionEnd >= 0) {
        lines.insert(lines.begin() + sectionEnd, entry);
        return;
    }
    if (!lines.empty() && !trim(lines.back()).empty())
        lines.emplace_back();
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(entry);
}

bool writeWhole(const std::string &path, const std::string &text)
{
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    const bool ok = done == text.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

ProfileStore::ProfileStore()
    : mPath(defaultPath())
{
}

ProfileStore::ProfileStore(std::string path)
    : mPath(std::move(path))
{
}

std::string ProfileStore::defaultPath()
{
    std::string base;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = ".";
    return base + "/zelventa/zelventa.ini";
}

std::string ProfileStore::GetProfileString(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (const std::string &line : readLines(mPath)) {
        std::string_view name, k, v;
        if (sectionName(line, name)) {
            inSection = sameText(name, section);
        } else if (inSection && keyLine(line, k, v) && sameText(k, key)) {
            return std::string(unquoted(v));
        }
    }
    return {};
}

std::vector<std::pair<std::string, std::string>>
ProfileStore::GetProfileSection(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    bool inSection = false;
    for (const std::string &line : readLines(mPath)) {
        std::string_view name, k, v;
        if (sectionName(line, name))
            inSection = sameText(name, section);
        else if (inSection && keyLine(line, k, v))
            entries.emplace_back(k, unquoted(v));
    }
    return entries;
}

bool ProfileStore::WriteProfileString(std::string_view section, std::string_view key, std::string_view value)
{
    return WriteProfileStrings(section, {{std::string(key), std::string(value)}});
}

bool ProfileStore::WriteProfileStrings(std::string_view section,
                                       const std::vector<std::pair<std::string, std::string>> &entries)
{
    std::vector<std::string> lines = readLines(mPath);
    for (const auto &[key, value] : entries)
        setKey(lines, section, key, value);
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return writeWhole(mPath, text);
}

int profileAtoi(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX + 1LL)
            value = INT_MAX + 1LL;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return int(value);
}
