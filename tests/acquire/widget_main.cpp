// tests/acquire/widget_main.cpp
// Main of the acquisition tests that need widgets: a QApplication on the
// offscreen platform unless a display is chosen.
#include "platform/headless.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    prepareHeadlessQt(false);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
