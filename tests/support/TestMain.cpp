#include <QApplication>
#include <gtest/gtest.h>

#include "TestEnvironment.h"

// One QApplication for the whole test program, offscreen, so window and printing tests need
// no display.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    ::testing::AddGlobalTestEnvironment(new rk::test::ServicesEnvironment);
    return RUN_ALL_TESTS();
}
