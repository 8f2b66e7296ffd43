#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/dispatch/dispatch_fixture.h"

TEST(DispatchOnce, RunsOnceUnderContentionAndLatecomersSeeItsResult) {
  constexpr int kThreads = 8;
  dispatch_once_t guard = 0;
  int runs = 0;
  int value = 0;  // plain on purpose: dispatch_once must publish it
  std::mutex mutex;
  std::condition_variable cv;
  int arrived = 0;
  std::vector<int> seen(kThreads, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      {
        std::lock_guard lock(mutex);
        ++arrived;
      }
      cv.notify_all();
      dispatch_once(&guard, [&] {
        // Hold the guard until every thread has reached it, so they contend.
        std::unique_lock lock(mutex);
        cv.wait_for(lock, kPatience, [&] { return arrived == kThreads; });
        ++runs;
        value = 7;
      });
      seen[t] = value;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(runs, 1) << "the block ran more than once";
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[t], 7) << "thread " << t << " returned before the block finished";
}

TEST(DispatchOnce, TriesAgainAfterTheBlockThrows) {
  dispatch_once_t guard = 0;
  EXPECT_THROW(dispatch_once(&guard, [] { throw std::runtime_error("first"); }), std::runtime_error);
  int runs = 0;
  dispatch_once(&guard, [&] { ++runs; });
  dispatch_once(&guard, [&] { ++runs; });
  EXPECT_EQ(runs, 1) << "a throwing block must leave the guard unset, and a finished one set";
}

TEST(DispatchOnceDeathTest, ABlockReachingItsOwnGuardAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  dispatch_once_t guard = 0;
  EXPECT_DEATH(dispatch_once(&guard, [&] { dispatch_once(&guard, [] {}); }), "its own guard");
}
