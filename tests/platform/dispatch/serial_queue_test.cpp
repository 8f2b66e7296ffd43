#include <atomic>
#include <limits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dispatch/dispatch_fixture.h"

using dispatch::MainRunLoop;
using DispatchSerialQueue = DispatchFixture;
using DispatchSerialQueueDeathTest = DispatchFixture;

namespace {

// A one-shot gate that a block can wait behind, with a deadline so a broken
// queue fails the test instead of hanging it.
class Gate {
 public:
  void open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    cv_.notify_all();
  }
  bool wait() {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, kPatience, [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

}  // namespace

TEST_F(DispatchSerialQueue, RunsBlocksFromManyThreadsOneAtATimeInEachPostersOrder) {
  dispatch_queue_t queue = dispatch_queue_create("test.fifo");
  // Plain vectors: only the queue's serial order makes these writes safe.
  std::vector<std::vector<int>> seen(3);
  std::atomic<int> active{0};
  bool overlapped = false;
  std::vector<std::thread> posters;
  for (int p = 0; p < 3; ++p) {
    posters.emplace_back([&, p] {
      for (int i = 0; i < 300; ++i) {
        dispatch_async(queue, [&, p, i] {
          if (active.fetch_add(1) != 0) overlapped = true;
          seen[p].push_back(i);
          active.fetch_sub(1);
        });
      }
    });
  }
  for (auto& t : posters) t.join();
  dispatch_sync(queue, [] {});  // everything posted before has run

  EXPECT_FALSE(overlapped) << "two blocks of one serial queue ran at once";
  for (int p = 0; p < 3; ++p) {
    ASSERT_EQ(seen[p].size(), 300u);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(seen[p][i], i) << "poster " << p << "'s blocks ran out of order";
  }
}

TEST_F(DispatchSerialQueue, KnowsWhichQueueItsBlocksRunOn) {
  dispatch_queue_t queue = dispatch_queue_create("test.identity");
  dispatch_queue_t other = dispatch_queue_create(nullptr);
  EXPECT_STREQ(dispatch_queue_get_label(queue), "test.identity");
  EXPECT_STREQ(dispatch_queue_get_label(other), "");
  EXPECT_FALSE(dispatch::isCurrentQueue(queue)) << "the test thread does not run the queue";

  dispatch_sync(queue, [&] {
    EXPECT_TRUE(dispatch::isCurrentQueue(queue));
    EXPECT_FALSE(dispatch::isCurrentQueue(other));
    EXPECT_FALSE(dispatch::isCurrentQueue(dispatch_get_main_queue()));
    EXPECT_FALSE(dispatch::isMainThread());
    EXPECT_EQ(dispatch::currentQueue(), queue);
    EXPECT_STREQ(dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL), "test.identity");
  });
}

TEST_F(DispatchSerialQueue, ReleasingTheLastHandleRunsEveryPendingBlock) {
  dispatch_queue_t queue = dispatch_queue_create("test.drain");
  Gate gate;
  std::atomic<bool> releasing{false};
  std::vector<int> ran;
  dispatch_async(queue, [&] { EXPECT_TRUE(gate.wait()) << "the gate was never opened"; });
  for (int i = 0; i < 100; ++i) dispatch_async(queue, [&ran, i] { ran.push_back(i); });

  // Opens the gate once the release has begun, so the blocks are still queued.
  std::thread opener([&] {
    releasing.wait(false);
    gate.open();
  });
  releasing = true;
  releasing.notify_one();
  queue.reset();  // joins: every block has run and the thread is gone
  opener.join();

  ASSERT_EQ(ran.size(), 100u) << "blocks pending at release were lost";
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ran[i], i);
}

TEST_F(DispatchSerialQueue, ABlockMayHoldAndReleaseTheLastHandle) {
  dispatch_queue_t queue = dispatch_queue_create("test.self");
  bool done = false;
  dispatch_async(queue, [queue, &done] {
    dispatch_async(dispatch_get_main_queue(), [&done] { done = true; });
  });
  queue.reset();  // the block's capture is now the last handle; it dies on the queue's own thread
  EXPECT_TRUE(MainRunLoop::runUntil([&] { return done; }, kPatience));
}

TEST_F(DispatchSerialQueue, DelayedBlockWaitsForTheClockAndKeepsItsQueueAlive) {
  dispatch::Clock::setManual(true);
  dispatch_queue_t queue = dispatch_queue_create("test.after");
  std::vector<int> order;  // written on the queue, read after the main queue hears back
  bool done = false;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 500 * NSEC_PER_MSEC), queue, [&] {
    order.push_back(2);
    EXPECT_TRUE(dispatch::isCurrentQueue(dispatch::currentQueue()));
    dispatch_async(dispatch_get_main_queue(), [&] { done = true; });
  });
  dispatch_async(queue, [&] { order.push_back(1); });
  queue.reset();  // the delayed block still holds the queue

  EXPECT_FALSE(MainRunLoop::runUntil([&] { return done; }, std::chrono::milliseconds(20)))
      << "the delayed block ran before the clock reached it";
  dispatch::Clock::advance(std::chrono::milliseconds(500));
  ASSERT_TRUE(MainRunLoop::runUntil([&] { return done; }, kPatience));
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(DispatchSerialQueue, NeverRunsABlockDueForeverAndSurvivesFarTimers) {
  dispatch_queue_t queue = dispatch_queue_create("test.forever");
  auto capture = std::make_shared<int>(0);
  dispatch_after(DISPATCH_TIME_FOREVER, queue, [capture] { ADD_FAILURE() << "ran a block due forever"; });
  // Regression: a timer this far away overflowed the queue's real-time wait.
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, std::numeric_limits<std::int64_t>::max()), queue, [] {});
  dispatch_sync(queue, [] {});
  EXPECT_EQ(capture.use_count(), 1);
}

TEST_F(DispatchSerialQueueDeathTest, MisuseAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        dispatch_queue_t queue = dispatch_queue_create("test.deadlock");
        dispatch_sync(queue, [&] { dispatch_sync(queue, [] {}); });
      },
      "deadlock");
  EXPECT_DEATH(dispatch_async(nullptr, [] {}), "null queue");
  EXPECT_DEATH(dispatch_async(dispatch_get_main_queue(), nullptr), "empty block");
}
