// export/preset_store.cpp
#include "export/preset_store.h"

#include "caption/caption_profile.h"
#include "platform/profile_store.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kExtension[] = ".ini";
// A preset is a few dozen short lines; anything this big is something else.
constexpr std::uintmax_t kMaxPresetBytes = 1024 * 1024;
// How many damaged values a message names before it says "and N more".
constexpr std::size_t kProblemsNamed = 4;

struct NumberKey
{
    const char *key;
    long low, high;
};

// The export options' stored numbers and switches, as the dialog writes them.
const NumberKey kExportNumbers[] = {
    {"SaveFormat", 0, kExportFormatCount - 1},
    {"JpegQuality", 0, 100},
    {"XResolution", 0, 65535},
    {"YResolution", 0, 65535},
    {"Unit", 0, 1},
    {"Quality", 0, 2},
    {"WebpQuality", 0, 100},
    {"AvifQuality", 0, 100},
    {"AvifSpeed", 0, 10},
    {"JxlQuality", 0, 100},
    {"ResizeImage", 0, 1},
    {"AllowStretch", 0, 1},
    {"AspectRatio", 0, 1},
    {"RestrictWidth", 0, 1},
    {"RestrictHeight", 0, 1},
    {"KeepPhotoInfo", 0, 1},
    {"KeepColourSpace", 0, 1},
    {"AutoOrient", 0, 1},
    {"WebpLossless", 0, 1},
    {"JxlLossless", 0, 1},
};

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Whether the text has the shape of an INI file with one of a preset's
// sections; "" or what is wrong with it.
std::string shapeProblem(const std::string &text)
{
    if (text.find('\0') != std::string::npos)
        return "it holds binary data";
    bool presetSection = false;
    std::size_t lineNo = 0;
    for (std::size_t start = 0; start < text.size(); ++lineNo) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = lower(trimmed(line.substr(1, line.size() - 2)));
            presetSection |= name == lower(kCaptionSection) || name == lower(kExportSection);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || trimmed(line.substr(0, eq)).empty())
            return "line " + std::to_string(lineNo + 1) + " is neither [section] nor key=value";
    }
    return presetSection ? std::string() : "it has neither a [Caption] nor an [Export Option] section";
}

void checkExportNumbers(const ProfileStore &file, std::vector<std::string> &problems)
{
    for (const auto &[key, value] : file.GetProfileSection(kExportSection)) {
        for (const NumberKey &n : kExportNumbers) {
            if (lower(key) != lower(n.key))
                continue;
            long v = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
            if (ec != std::errc() || end != value.data() + value.size() || v < n.low || v > n.high)
                problems.push_back(key + ": a whole number from " + std::to_string(n.low) + " to " +
                                   std::to_string(n.high) + " is needed");
        }
    }
}

std::string damaged(const std::string &path, const std::vector<std::string> &problems)
{
    std::string message = "The preset file [" + path + "] is damaged:";
    for (std::size_t i = 0; i < problems.size() && i < kProblemsNamed; ++i)
        message += "\n" + problems[i];
    if (problems.size() > kProblemsNamed)
        message += "\nand " + std::to_string(problems.size() - kProblemsNamed) + " more.";
    return message;
}

std::size_t characters(const std::string &utf8)
{
    return std::size_t(std::count_if(utf8.begin(), utf8.end(),
                                     [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

PresetStore::PresetStore()
    : mFolder(FolderBeside(ProfileStore::defaultPath()))
{
}

PresetStore::PresetStore(std::string folder)
    : mFolder(std::move(folder))
{
}

std::string PresetStore::FolderBeside(const std::string &profilePath)
{
    const fs::path parent = fs::path(profilePath).parent_path();
    return (parent.empty() ? fs::path("presets") : parent / "presets").string();
}

std::string PresetStore::CheckName(const std::string &name)
{
    const std::string head = "Invalid preset name [" + name + "]: ";
    if (name.empty())
        return "A preset needs a name!";
    if (characters(name) > kMaxNameLength)
        return head + "it can have at most " + std::to_string(kMaxNameLength) + " characters!";
    if (name.find('/') != std::string::npos)
        return head + "it cannot contain \"/\"!";
    if (name.front() == '.')
        return head + "it cannot start with \".\"!";
    if (std::any_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
        return "Invalid preset name: it cannot contain control characters!";
    if (name.front() == ' ' || name.back() == ' ')
        return head + "it cannot start or end with a blank!";
    return {};
}

std::string PresetStore::PathOf(const std::string &name) const
{
    return (fs::path(mFolder) / (name + kExtension)).string();
}

std::vector<std::string> PresetStore::List() const
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(mFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path file = it->path().filename();
        if (file.extension() == kExtension && CheckName(file.stem().string()).empty() &&
            it->is_regular_file(ec))
            names.push_back(file.stem().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        const std::string la = lower(a), lb = lower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

bool PresetStore::Exists(const std::string &name) const
{
    std::error_code ec;
    return CheckName(name).empty() && fs::is_regular_file(PathOf(name), ec);
}

std::string PresetStore::Save(const std::string &name, const JobPreset &preset) const
{
    if (std::string problem = CheckName(name); !problem.empty())
        return problem;
    std::error_code ec;
    fs::create_directories(mFolder, ec);
    // Written beside its place under a name no preset can have, then moved
    // over it: a failed save leaves the old preset whole.
    const std::string temp = (fs::path(mFolder) / ("." + name + kExtension + ".new")).string();
    fs::remove(temp, ec);
    ProfileStore file(temp);
    const bool written = saveCaptionProfile(file, preset.caption) && preset.options.Save(file);
    if (!written || (fs::rename(temp, PathOf(name), ec), ec)) {
        fs::remove(temp, ec);
        return "Could not save the preset [" + name + "] in " + mFolder + "!";
    }
    return {};
}

std::string PresetStore::Load(const std::string &name, const CaptionSettings &captionBase,
                              JobPreset &out) const
{
    if (std::string problem = CheckName(name); !problem.empty())
        return problem;
    if (!Exists(name))
        return "There is no preset named [" + name + "] in " + mFolder + "!";
    return LoadFile(PathOf(name), captionBase, out);
}

std::string PresetStore::LoadFile(const std::string &path, const CaptionSettings &captionBase, JobPreset &out)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in)
        return "Cannot read the preset file [" + path + "]!";
    if (size > kMaxPresetBytes)
        return "The preset file [" + path + "] is not a preset: it is larger than 1 MB!";
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (const std::string shape = shapeProblem(text); !shape.empty())
        return "The preset file [" + path + "] is not a preset: " + shape + "!";
    const ProfileStore file(path);
    std::vector<std::string> problems;
    JobPreset preset;
    preset.caption = loadCaptionProfile(file, captionBase, &problems);
    checkExportNumbers(file, problems);
    if (!problems.empty())
        return damaged(path, problems);
    preset.options.Load(file);
    out = std::move(preset);
    return {};
}

std::string PresetStore::Rename(const std::string &from, const std::string &to) const
{
    if (std::string problem = CheckName(to); !problem.empty())
        return problem;
    if (!Exists(from))
        return "There is no preset named [" + from + "]!";
    if (from == to)
        return {};
    if (Exists(to))
        return "A preset named [" + to + "] already exists!";
    std::error_code ec;
    fs::rename(PathOf(from), PathOf(to), ec);
    return ec ? "Could not rename the preset [" + from + "]: " + ec.message() + "!" : std::string();
}

std::string PresetStore::Remove(const std::string &name) const
{
    if (!Exists(name))
        return "There is no preset named [" + name + "]!";
    std::error_code ec;
    fs::remove(PathOf(name), ec);
    return ec ? "Could not delete the preset [" + name + "]: " + ec.message() + "!" : std::string();
}
