#pragma once
// Every dispatch test starts and ends with an empty main queue and a real clock.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/dispatch/dispatch.h"

class DispatchFixture : public ::testing::Test {
 protected:
  void SetUp() override { dispatch::MainRunLoop::resetForTesting(); }
  void TearDown() override {
    dispatch::Clock::setSkipping(false);
    dispatch::Clock::setManual(false);
    dispatch::MainRunLoop::resetForTesting();
  }
};

// Long enough never to be reached by a passing test; a failing one still ends.
inline constexpr std::chrono::seconds kPatience{10};
