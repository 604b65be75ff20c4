// tests/support/test_main.cpp
// Shared main of the test binaries: a QGuiApplication on the offscreen
// platform (text drawing needs one) and a private runtime folder.
#include "platform/headless.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    prepareHeadlessQt(false);
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
