// export/folder_checks.h
#pragma once

#include <string>

// File-system facts the export and its check before a run ask about paths.
// Any thread.

// "" when folder is an existing folder, else why not.
std::string folderProblem(const std::string &folder);
// "" when a file can be created in folder (tried with a short-lived file of
// its own, so that read-only mounts, permissions, quotas and a full inode
// table all count, as they would for the picture), else why not.
std::string writeProblem(const std::string &folder);
// Whether anything is at path; a dangling link counts, since saving would replace it.
bool fileExists(const std::string &path);
// One key for every spelling of a path ("out/a.JPG", "out//./a.JPG", a link to it).
std::string pathKey(const std::string &path);
