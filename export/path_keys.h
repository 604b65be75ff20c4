// export/path_keys.h
#pragma once

#include <map>
#include <string>

// pathKey (export/folder_checks.h) for many paths in few folders: each
// folder is resolved once, and a path costs one look at its last part
// (only a symbolic link there is resolved in full). The folders must not
// change while the keys are in use (one run, one check). One thread.
class PathKeys
{
  public:
    std::string key(const std::string &path);

  private:
    std::map<std::string, std::string> mFolders; // as written -> resolved, with a trailing "/"
};
