// tests/collection/widget_test_main.cpp
// Main of the widget tests: a QApplication on the offscreen platform.
#include "platform/headless.h"
#include "platform/message_box.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    prepareHeadlessQt(false);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // A modal box would stop the run: tests that expect one install their own handler.
    SetMessageBoxHandler([](const QString &text, unsigned, unsigned) {
        ADD_FAILURE() << "unexpected message: " << text.toStdString();
        return int(IDOK);
    });
    return RUN_ALL_TESTS();
}
