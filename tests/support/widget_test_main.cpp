// tests/support/widget_test_main.cpp
// Shared main of the window tests: a QApplication on the offscreen platform
// (always, so that no window appears on a desktop), a private runtime folder
// and a private home: the main window's tree opens on the desktop folder and
// the browser would write its cache there.
#include "platform/headless.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void usePrivateHome()
{
    std::string home = "/tmp/zv-widget-home-XXXXXX";
    if (!mkdtemp(home.data()))
        return;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
}

} // namespace

int main(int argc, char **argv)
{
    usePrivateHome();
    prepareHeadlessQt(true);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
