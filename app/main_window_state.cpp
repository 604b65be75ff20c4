// app/main_window_state.cpp
#include "app/main_window_state.h"

#include "caption/caption_profile.h"
#include "platform/profile_store.h"

#include <string>

const char kMainWindowSection[] = "Main Window";

namespace {

// A window larger than this comes from a damaged or foreign profile.
constexpr int kLargestSide = 16384;

// The stored side, or -1 when missing or out of range.
int side(const ProfileStore &profile, const char *key)
{
    const std::string text = profile.GetProfileString(kMainWindowSection, key);
    const int v = profileAtoi(text);
    return text.find_first_not_of("0123456789") == std::string::npos && v > 0 && v <= kLargestSide ? v : -1;
}

} // namespace

MainWindowState MainWindowState::Load(const ProfileStore &profile)
{
    MainWindowState state;
    const int width = side(profile, "Width");
    const int height = side(profile, "Height");
    if (width > 0 && height > 0)
        state.size = QSize(width, height);
    state.maximized = profile.GetProfileString(kMainWindowSection, "Maximized") == "1";
    const std::string folder =
        unescapeProfileText(profile.GetProfileString(kMainWindowSection, "LastFolder"));
    state.folder = QString::fromStdString(folder);
    return state;
}

bool MainWindowState::Save(ProfileStore &profile) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (size.isValid()) {
        entries.emplace_back("Width", std::to_string(size.width()));
        entries.emplace_back("Height", std::to_string(size.height()));
    }
    entries.emplace_back("Maximized", maximized ? "1" : "0");
    entries.emplace_back("LastFolder", escapeProfileText(folder.toStdString()));
    return profile.WriteProfileStrings(kMainWindowSection, entries);
}
