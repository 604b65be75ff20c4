// export/path_keys.cpp
#include "export/path_keys.h"

#include "export/folder_checks.h"

#include <filesystem>
#include <system_error>

std::string PathKeys::key(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::error_code ec;
    if (name.empty() || name == "." || name == ".." || std::filesystem::is_symlink(path, ec))
        return pathKey(path);
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    auto it = mFolders.find(folder);
    if (it == mFolders.end()) {
        std::string resolved = pathKey(folder);
        if (resolved.empty() || resolved.back() != '/')
            resolved += '/';
        it = mFolders.emplace(folder, std::move(resolved)).first;
    }
    return it->second + name;
}
