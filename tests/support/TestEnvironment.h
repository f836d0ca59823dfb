#pragma once

#include <gtest/gtest.h>

namespace rk::test {

// Installs a test platform without drives and a scripted dialog service for every test, so
// that no test can reach the real drives or show a real dialog by accident.
class ServicesEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};

}  // namespace rk::test
