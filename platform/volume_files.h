// platform/volume_files.h
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// File operations of the removable-media import: listing a folder of the
// card and copying a file off it. The source is only ever opened for
// reading (and without touching its access time where the system allows).

// A folder entry that is a regular file or a folder, symbolic links
// followed. Entries of other kinds (devices, pipes, dangling links) are left out.
struct VolumeEntry
{
    std::string name;
    bool folder = false;
};

// Identity of a folder, to recognise one met again through a link or a bind mount.
struct FolderId
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FolderId &) const = default;
};

// The entries in the order the file system returns them, "." and ".." left
// out. False with the system's error text when the folder cannot be read.
bool ListVolumeFolder(const std::string &path, std::vector<VolumeEntry> &entries, std::string &error);
bool VolumeFolderId(const std::string &path, FolderId &id);
bool VolumePathExists(const std::string &path);

// A fault for tests: reading the named source fails with error after
// failAfter bytes.
struct CopyFault
{
    std::string sourceName; // file name only
    std::int64_t failAfter = 0;
    int error = 5; // EIO
};

// Copies source to target through a temporary file beside the target that
// is renamed to the target's name only once complete, with the source's
// modification time. A failure removes the temporary file and leaves the
// target as it was; error then holds the system's text and errorCode its
// number. Without overwrite an existing target is never replaced.
struct CopyResult
{
    bool ok = false;
    int errorCode = 0;
    std::string error;
};
CopyResult CopyVolumeFile(const std::string &source, const std::string &target, bool overwrite,
                          const CopyFault *fault = nullptr);
