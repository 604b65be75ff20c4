// export/folder_checks.cpp
#include "export/folder_checks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

std::string folderProblem(const std::string &folder)
{
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(folder, ec);
    if (st.type() == std::filesystem::file_type::not_found)
        return std::strerror(ENOENT);
    if (ec)
        return ec.message();
    return std::filesystem::is_directory(st) ? std::string() : std::strerror(ENOTDIR);
}

std::string writeProblem(const std::string &folder)
{
    const std::string problem = folderProblem(folder);
    if (!problem.empty())
        return problem;
    std::random_device random;
    std::string probe = folder;
    if (!probe.empty() && probe.back() != '/')
        probe += '/';
    probe += ".zelventa-write-check-" + std::to_string(random());
    errno = 0;
    // "x": never opens a file that is already there.
    std::FILE *file = std::fopen(probe.c_str(), "wx");
    if (!file)
        return std::strerror(errno ? errno : EACCES);
    std::fclose(file);
    std::remove(probe.c_str());
    return {};
}

bool fileExists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

std::string pathKey(const std::string &path)
{
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? std::filesystem::path(path).lexically_normal().string() : canonical.string();
}
