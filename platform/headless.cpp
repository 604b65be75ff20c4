// platform/headless.cpp
#include "platform/headless.h"

#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

void prepareHeadlessQt(bool forceOffscreen)
{
    const char *qpa = std::getenv("QT_QPA_PLATFORM");
    const char *display = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const bool noDisplay = (!display || !*display) && (!wayland || !*wayland);
    if ((!qpa || !*qpa) && (forceOffscreen || noDisplay))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string dir = "/tmp/zelventa-runtime-" + std::to_string(::getuid());
        ::mkdir(dir.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
}
