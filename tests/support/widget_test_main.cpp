// tests/support/widget_test_main.cpp
// Shared main of the window tests: a QApplication on the offscreen platform
// (always, so that no window appears on a desktop) and a private runtime folder.
#include "platform/headless.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    prepareHeadlessQt(true);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
