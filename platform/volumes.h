// platform/volumes.h
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

// One line of the mount table (/proc/self/mountinfo).
struct MountEntry
{
    unsigned major = 0;
    unsigned minor = 0;
    QString root;       // the part of the file system mounted here; "/" for a whole one
    QString mountPoint; // octal escapes (\040 for a blank) already undone
    QString fsType;
    QString source;
};

// The lines of a mountinfo text; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// A mounted removable USB volume: what the program calls a drive.
struct RemovableVolume
{
    QString mountPoint; // no trailing "/" unless it is "/"
    QString device;     // the block device's kernel name, "sdb1"
    QString label;      // the file system's label; empty when it has none

    bool operator==(const RemovableVolume &) const = default;
};

// Where the volume facts are read from. Tests point the roots at a fake
// machine in a temporary folder.
struct VolumeRoots
{
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");
    QString dev = QStringLiteral("/dev");
};

// The mount table joined with sysfs: a mounted block device counts when its
// disk carries the removable flag and its device path runs through a USB
// node. Reads files only; any thread.
class VolumeTable
{
  public:
    explicit VolumeTable(VolumeRoots roots = {});

    std::vector<RemovableVolume> RemovableVolumes() const;
    const VolumeRoots &roots() const { return mRoots; }

  private:
    bool isRemovableUsb(const QString &node) const;
    QString labelOf(const QString &device) const;

    VolumeRoots mRoots;
};

// Bytes free for an unprivileged user on the file system holding path;
// false when the file system cannot be queried (a drive not ready).
bool VolumeFreeSpace(const QString &path, std::uint64_t &freeBytes);
