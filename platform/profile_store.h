// platform/profile_store.h
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The program's private profile: an INI file of [section] lines and
// key=value lines. Nothing is cached; every call reads the file. Sections
// and keys match without regard to case. A write keeps every other line
// of the file as it was and replaces the file only once the new text is
// completely on disk. UI thread only.
class ProfileStore
{
  public:
    // The default file: $XDG_CONFIG_HOME/zelventa/zelventa.ini (~/.config/...).
    ProfileStore();
    explicit ProfileStore(std::string path);

    const std::string &path() const { return mPath; }

    // The stored text, or "" when the file, the section or the key is missing.
    std::string GetProfileString(std::string_view section, std::string_view key) const;
    // Every key=value line of the section (of each block of that name), in
    // file order, with one read of the file; values as GetProfileString
    // gives them.
    std::vector<std::pair<std::string, std::string>> GetProfileSection(std::string_view section) const;
    // Creates the file, the section or the key as needed. False when the
    // file cannot be written; the old file is then left as it was.
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);
    // Several keys of one section (key, value pairs, in this order) with a
    // single replacement of the file: a whole record costs one write and one
    // sync, not one per key.
    bool WriteProfileStrings(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>> &entries);

    static std::string defaultPath();

  private:
    std::string mPath;
};

// Decimal text read like atoi: leading blanks, an optional sign, then
// digits; no digits read as 0. Values beyond int saturate instead of
// being undefined.
int profileAtoi(std::string_view text);
