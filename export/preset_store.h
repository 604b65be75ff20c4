// export/preset_store.h
#pragma once

#include "caption/caption_settings.h"
#include "export/export_options.h"

#include <string>
#include <vector>

// What a preset holds: the whole job but its pictures.
struct JobPreset
{
    CaptionSettings caption;
    ExportOptions options;
};

// Named presets of the whole job, one plain file per preset, FOLDER/NAME.ini,
// in the profile's INI layout: the [Caption] section as caption_profile
// writes it and the [Export Option] section as ExportOptions::Save does, so
// that a person can read, copy and edit one and ProfileStore reads it.
//
// Names are checked before any file is touched: a name that would make a bad
// file name (empty, "/", a leading ".", control characters, blanks at either
// end, too long) is refused with a message, never written elsewhere. Every
// operation returns "" or the message for the user. Nothing is cached; UI
// thread or the batch tool's one thread.
class PresetStore
{
  public:
    // presets/ beside the default profile: $XDG_CONFIG_HOME/zelventa/presets.
    PresetStore();
    explicit PresetStore(std::string folder);

    // The presets folder beside a profile file.
    static std::string FolderBeside(const std::string &profilePath);
    const std::string &Folder() const { return mFolder; }

    static constexpr std::size_t kMaxNameLength = 64; // characters
    static std::string CheckName(const std::string &name);
    std::string PathOf(const std::string &name) const;

    // The names, sorted without regard to case; files that are no preset's are left out.
    std::vector<std::string> List() const;
    bool Exists(const std::string &name) const;

    // Writes the preset whole (replacing one of that name) or not at all.
    std::string Save(const std::string &name, const JobPreset &preset) const;
    // The preset over captionBase (for the fields it lacks) and the export
    // defaults. A missing, unreadable or damaged file is refused with a
    // message naming what is wrong; out is then left as it was.
    std::string Load(const std::string &name, const CaptionSettings &captionBase, JobPreset &out) const;
    static std::string LoadFile(const std::string &path, const CaptionSettings &captionBase, JobPreset &out);
    // Refused when the new name is taken.
    std::string Rename(const std::string &from, const std::string &to) const;
    std::string Remove(const std::string &name) const;

  private:
    std::string mFolder;
};
