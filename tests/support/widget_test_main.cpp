// tests/support/widget_test_main.cpp
// The one main of the window tests: a QApplication on the offscreen
// platform unless QT_QPA_PLATFORM names another (so that no window appears
// on a desktop), a private runtime folder and a private home (the main
// window's tree opens on the desktop folder and the browser would write its
// cache there), and a message box that nobody expects fails the test
// instead of waiting for a click.
#include "platform/headless.h"
#include "tests/support/message_recorder.h"

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
    failOnUnexpectedMessages();
    return RUN_ALL_TESTS();
}
