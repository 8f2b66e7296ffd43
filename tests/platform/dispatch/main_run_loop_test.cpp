#include <atomic>
#include <future>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/dispatch_fixture.h"

using dispatch::MainRunLoop;
using DispatchMainQueue = DispatchFixture;
using DispatchMainQueueDeathTest = DispatchFixture;

TEST_F(DispatchMainQueue, RunsBlocksInPostingOrderAndDefersThosePostedDuringAPass) {
  std::vector<int> order;
  for (int i = 0; i < 50; ++i) dispatch_async(dispatch_get_main_queue(), [&order, i] { order.push_back(i); });
  dispatch_async(dispatch_get_main_queue(), [&order] {
    dispatch_async(dispatch_get_main_queue(), [&order] { order.push_back(-1); });
  });

  EXPECT_EQ(MainRunLoop::runOnce(), 51u) << "one pass runs exactly what was queued when it began";
  ASSERT_EQ(order.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i) << "blocks must run in posting order";
  EXPECT_EQ(MainRunLoop::runOnce(), 1u) << "a block posted during a pass runs on the next one";
  EXPECT_EQ(order.back(), -1);
  EXPECT_EQ(MainRunLoop::runOnce(), 0u);
}

TEST_F(DispatchMainQueue, WakesForWorkFromOtherThreadsAndRunsItOnTheMainThread) {
  bool ranOnMain = false;
  int syncResult = 0;
  std::thread poster([&] {
    dispatch_async(dispatch_get_main_queue(), [&] { ranOnMain = dispatch::isMainThread(); });
    // dispatch_sync from a worker returns only once the main thread has run it.
    dispatch_sync(dispatch_get_main_queue(), [&] { syncResult = 42; });
    EXPECT_EQ(syncResult, 42) << "dispatch_sync returned before its block ran";
  });
  EXPECT_TRUE(MainRunLoop::runUntil([&] { return syncResult == 42; }, kPatience))
      << "a block posted from another thread must wake the waiting run loop";
  poster.join();
  EXPECT_TRUE(ranOnMain);
}

TEST_F(DispatchMainQueue, DelayedBlocksWaitForTheManualClock) {
  dispatch::Clock::setManual(true);
  std::vector<std::string> fired;
  const auto after = [&](std::int64_t ms, std::string name) {
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, ms * static_cast<std::int64_t>(NSEC_PER_MSEC)),
                   dispatch_get_main_queue(), [&fired, name] { fired.push_back(name); });
  };
  after(500, "late");
  after(200, "first");
  after(200, "second");

  EXPECT_FALSE(MainRunLoop::runUntil([&] { return !fired.empty(); }, std::chrono::milliseconds(20)))
      << "in manual mode the run loop must not move the clock itself";
  dispatch::Clock::advance(199 * NSEC_PER_MSEC);
  EXPECT_EQ(MainRunLoop::runOnce(), 0u) << "a block fired before its time";
  dispatch::Clock::advance(std::chrono::milliseconds(1));
  EXPECT_EQ(MainRunLoop::runOnce(), 2u);
  dispatch::Clock::advance(std::chrono::milliseconds(300));
  EXPECT_EQ(MainRunLoop::runOnce(), 1u);
  EXPECT_EQ(fired, (std::vector<std::string>{"first", "second", "late"}))
      << "due order first, submission order among equals";
}

TEST_F(DispatchMainQueue, AdvanceFromAnotherThreadWakesAWaitingLoop) {
  dispatch::Clock::setManual(true);
  bool fired = false;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 200 * NSEC_PER_MSEC), dispatch_get_main_queue(),
                 [&] { fired = true; });
  std::thread advancer([] { dispatch::Clock::advance(std::chrono::milliseconds(200)); });
  EXPECT_TRUE(MainRunLoop::runUntil([&] { return fired; }, kPatience));
  advancer.join();
}

TEST_F(DispatchMainQueue, SkippingClockJumpsToTimersOnlyWhenNothingElseCanPostFirst) {
  dispatch::Clock::setSkipping(true);
  const std::uint64_t start = dispatch::Clock::now();
  std::vector<std::string> fired;  // main thread only
  const auto after = [&](std::int64_t seconds, std::string name) {
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, seconds * static_cast<std::int64_t>(NSEC_PER_SEC)),
                   dispatch_get_main_queue(), [&fired, name] { fired.push_back(name); });
  };
  after(60, "late");
  after(30, "first");
  std::promise<void> go;
  dispatch_queue_t queue = dispatch_queue_create("busy");
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 45 * static_cast<std::int64_t>(NSEC_PER_SEC)), queue, [&fired] {
    dispatch_async(dispatch_get_main_queue(), [&fired] { fired.push_back("the queue's timer"); });
  });
  dispatch_async(queue, [gate = go.get_future().share(), &fired] {
    gate.wait();
    dispatch_async(dispatch_get_main_queue(), [&fired] { fired.push_back("from the queue"); });
  });
  {
    dispatch::ClockHold inFlight;
    EXPECT_FALSE(MainRunLoop::runUntil([&] { return !fired.empty(); }, std::chrono::milliseconds(30)))
        << "a hold (a request in flight) keeps the clock from jumping";
  }
  EXPECT_FALSE(MainRunLoop::runUntil([&] { return !fired.empty(); }, std::chrono::milliseconds(30)))
      << "so does a block running on a serial queue";
  go.set_value();
  EXPECT_TRUE(MainRunLoop::runUntil([&] { return fired.size() == 4; }, kPatience));
  EXPECT_EQ(fired, (std::vector<std::string>{"from the queue", "first", "the queue's timer", "late"}))
      << "what a queue posts, at once or from its own timer, comes before the timers it was due before";
  EXPECT_GE(dispatch::Clock::now() - start, 60 * NSEC_PER_SEC) << "the clock jumped to the last timer";
}

TEST_F(DispatchMainQueue, RealClockTimerFiresAndDeadlineEndsAnIdleWait) {
  bool fired = false;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_MSEC), dispatch_get_main_queue(), [&] { fired = true; });
  EXPECT_TRUE(MainRunLoop::runUntil([&] { return fired; }, kPatience));

  // A timer due within a long wait ends the wait, so it runs before a block
  // another thread posts later.
  std::vector<std::string> order;  // main thread only
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_MSEC), dispatch_get_main_queue(),
                 [&] { order.push_back("timer"); });
  std::thread poster([&order] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    dispatch_async(dispatch_get_main_queue(), [&order] { order.push_back("posted"); });
  });
  MainRunLoop::runFor(std::chrono::milliseconds(200));
  poster.join();
  EXPECT_EQ(order, (std::vector<std::string>{"timer", "posted"}));

  // Regression: a timer this far away overflowed the real-time wait.
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, std::numeric_limits<std::int64_t>::max()),
                 dispatch_get_main_queue(), [] {});
  EXPECT_FALSE(MainRunLoop::runUntil([] { return false; }, std::chrono::milliseconds(20)))
      << "runUntil must give up at its deadline, not wait for a far timer";
  EXPECT_EQ(MainRunLoop::runFor(std::chrono::milliseconds(5)), 0u);
  EXPECT_TRUE(MainRunLoop::runUntil([] { return true; }, std::chrono::nanoseconds::max()))
      << "an unbounded timeout must not overflow the deadline";
}

TEST_F(DispatchMainQueue, ResetDropsQueuedBlocksAndTimersAndTheirCaptures) {
  auto capture = std::make_shared<int>(0);
  dispatch_async(dispatch_get_main_queue(), [capture] {});
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC), dispatch_get_main_queue(), [capture] {});
  EXPECT_EQ(MainRunLoop::pendingCount(), 2u);
  MainRunLoop::resetForTesting();
  EXPECT_EQ(MainRunLoop::pendingCount(), 0u);
  EXPECT_EQ(capture.use_count(), 1) << "dropped blocks must release what they captured";
}

TEST_F(DispatchMainQueue, IsCurrentOnTheMainThreadOnly) {
  const dispatch_queue_t main = dispatch_get_main_queue();
  EXPECT_TRUE(dispatch::isCurrentQueue(main));
  EXPECT_EQ(dispatch::currentQueue(), main);
  EXPECT_STREQ(dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL), "com.apple.main-thread");
  std::thread other([&] {
    EXPECT_FALSE(dispatch::isMainThread());
    EXPECT_FALSE(dispatch::isCurrentQueue(main));
    EXPECT_EQ(dispatch::currentQueue(), nullptr);
  });
  other.join();
}

TEST_F(DispatchMainQueueDeathTest, DrainingOffTheMainThreadAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(std::thread([] { MainRunLoop::runOnce(); }).join(), "off the main thread");
}

TEST_F(DispatchMainQueueDeathTest, SyncToTheMainQueueFromTheMainThreadAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(dispatch_sync(dispatch_get_main_queue(), [] {}), "deadlock");
}
