#include <cstdint>
#include <limits>

#include "platform/dispatch/dispatch_fixture.h"

using DispatchClock = DispatchFixture;
using DispatchClockDeathTest = DispatchFixture;

TEST_F(DispatchClock, StandsStillInManualModeUntilAdvanced) {
  {
    dispatch::ScopedManualClock manual;
    const std::uint64_t start = dispatch::Clock::now();
    EXPECT_EQ(dispatch::Clock::now(), start) << "a manual clock must not move by itself";
    dispatch::Clock::advance(std::chrono::milliseconds(200));
    EXPECT_EQ(dispatch::Clock::now(), start + 200 * NSEC_PER_MSEC);
    dispatch::Clock::setManual(true);
    EXPECT_EQ(dispatch::Clock::now(), start + 200 * NSEC_PER_MSEC) << "re-entering manual mode must not jump";
  }
  EXPECT_FALSE(dispatch::Clock::isManual()) << "the scope restores the real clock";
}

TEST_F(DispatchClock, DispatchTimeOffsetsAndSaturates) {
  dispatch::ScopedManualClock manual;
  const std::uint64_t now = dispatch::Clock::now();
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_NOW, 200 * NSEC_PER_MSEC), now + 200 * NSEC_PER_MSEC);
  EXPECT_EQ(dispatch_time(1000, -400), 600u) << "an explicit base is not the clock";
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_FOREVER, -1), DISPATCH_TIME_FOREVER) << "forever stays forever";
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_FOREVER - 10, 100), DISPATCH_TIME_FOREVER) << "overflow saturates";
  EXPECT_EQ(dispatch_time(1000, std::numeric_limits<std::int64_t>::min()), 1u)
      << "a time before the origin is past, but must not read as DISPATCH_TIME_NOW";
}

TEST_F(DispatchClockDeathTest, AdvancingTheRealClockAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(dispatch::Clock::advance(std::chrono::seconds(1)), "manual mode");
}
