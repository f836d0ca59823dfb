#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>

#include "TestEnvironment.h"
#include "app/RoomkinApplication.h"

// One application object for the whole test program, offscreen, so window and printing tests
// need no display; it is the program's own, so errors reach the general error box as they do
// in the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private run-time folder, which a test machine may not have.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = "/tmp/roomkin-tests-runtime-" + QByteArray::number(::getuid());
        ::mkdir(dir.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    ::testing::InitGoogleTest(&argc, argv);
    rk::RoomkinApplication app(argc, argv);
    ::testing::AddGlobalTestEnvironment(new rk::test::ServicesEnvironment);
    return RUN_ALL_TESTS();
}
