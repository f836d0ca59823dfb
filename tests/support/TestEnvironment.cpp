#include "TestEnvironment.h"

#include "InstalledPlatform.h"
#include "ScriptedDialogs.h"
#include "TestPlatform.h"
#include "common/Services.h"

namespace rk::test {

namespace {

// Clears the script between tests, so one test's answers never reach the next.
class ClearDialogs : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { scriptedDialogs().clear(); }
};

}  // namespace

void ServicesEnvironment::SetUp() {
    static TestPlatform platform;
    setPlatform(&platform);
    setDialogService(&scriptedDialogs());
    ::testing::UnitTest::GetInstance()->listeners().Append(new ClearDialogs);
}

}  // namespace rk::test
