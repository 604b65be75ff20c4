// tests/caption/widget_test_main.cpp
// Main of the widget tests: a QApplication on the offscreen platform. The
// test binaries that link this file do not use the shared GUI-less main.
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
