// export/export_list.cpp
#include "export/export_list.h"

#include "export/output_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser
{
    void operator()(std::FILE *f) const { std::fclose(f); }
};

bool parseLine(std::string_view line, ExportRow &row, std::string &problem)
{
    if (line.find('\0') != std::string_view::npos) {
        problem = "a path cannot hold a NUL byte";
        return false;
    }
    const std::size_t tab = line.rfind('\t');
    const std::string_view path = tab == std::string_view::npos ? line : line.substr(0, tab);
    const std::string_view rotation = tab == std::string_view::npos ? "0" : line.substr(tab + 1);
    if (path.empty()) {
        problem = "no path before the tab";
        return false;
    }
    const std::optional<int> degrees = rotationFromText(rotation);
    if (!degrees) {
        problem = "rotation must be 0, 90, -90 or 180, not \"" + std::string(rotation.substr(0, 40)) + "\"";
        return false;
    }
    row = {nameOf(path), std::string(path), *degrees};
    return true;
}

} // namespace

std::optional<int> rotationFromText(std::string_view text)
{
    for (const int degrees : {0, 90, -90, 180}) {
        if (text == std::to_string(degrees))
            return degrees;
    }
    return std::nullopt;
}

bool parseExportList(std::string_view text, std::vector<ExportRow> &rows, std::string &problem)
{
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        ExportRow row;
        if (!parseLine(line, row, problem)) {
            problem = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        rows.push_back(std::move(row));
    }
    return true;
}

bool readExportList(const std::string &path, std::vector<ExportRow> &rows, std::string &problem)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        problem = path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0) {
        if (text.size() + got > kMaxExportListBytes) {
            problem = path + ": longer than " + std::to_string(kMaxExportListBytes >> 20) + " MiB";
            return false;
        }
        text.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        problem = path + ": " + std::strerror(errno);
        return false;
    }
    if (!parseExportList(text, rows, problem)) {
        problem = path + ": " + problem;
        return false;
    }
    return true;
}
