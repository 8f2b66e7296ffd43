// The main queue: a run loop that only the main thread drains, by the host's
// or a test's calls to MainRunLoop.

#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"
#include "platform/dispatch/sync_waiter.h"

namespace dispatch {
namespace {

// How long a waiting runUntil goes without rechecking its predicate, for
// predicates on state that other threads change without posting here.
constexpr auto kPredicatePoll = std::chrono::milliseconds(10);

using TimerKey = std::pair<std::uint64_t, std::uint64_t>;  // due time, submission order

class MainLoop final : public detail::ClockObserver {
 public:
  MainLoop() { detail::addClockObserver(this); }

  void post(dispatch_block_t block) {
    {
      std::lock_guard lock(mutex_);
      ready_.push_back(std::move(block));
      ++wakeups_;
    }
    cv_.notify_all();
  }

  void postAfter(dispatch_time_t when, dispatch_block_t block) {
    {
      std::lock_guard lock(mutex_);
      timers_.emplace(TimerKey{when, nextTimer_++}, std::move(block));
      ++wakeups_;
    }
    cv_.notify_all();
  }

  void clockChanged() noexcept override { wake(); }

  void wake() noexcept {
    {
      std::lock_guard lock(mutex_);
      ++wakeups_;
    }
    cv_.notify_all();
  }

  std::size_t runOnce() {
    std::size_t budget = 0;
    std::uint64_t generation = 0;
    {
      std::lock_guard lock(mutex_);
      promoteDueTimers();
      budget = ready_.size();
      generation = generation_;
    }
    std::size_t ran = 0;
    while (ran < budget) {
      dispatch_block_t block;
      {
        std::lock_guard lock(mutex_);
        // A block that reset the loop, or a nested pass, may have emptied it.
        if (generation != generation_ || ready_.empty()) break;
        block = std::move(ready_.front());
        ready_.pop_front();
      }
      ++ran;
      block();
    }
    return ran;
  }

  // Returns when there may be work, at wakeAt at the latest.
  void waitForWork(std::chrono::steady_clock::time_point wakeAt) {
    std::unique_lock lock(mutex_);
    if (!ready_.empty()) return;
    const std::uint64_t now = Clock::now();
    const std::uint64_t due = timers_.empty() ? DISPATCH_TIME_FOREVER : timers_.begin()->first.first;
    if (due <= now) return;
    // Checked under the lock: whoever settles the last work wakes us after.
    // A serial queue's timer already due is that queue's to run first.
    if (Clock::isSkipping() && detail::nothingElseWaits()) {
      const std::uint64_t queueDue = detail::earliestQueueTimer();
      const std::uint64_t next = std::min(due, queueDue);
      if (queueDue > now && next != DISPATCH_TIME_FOREVER) {
        lock.unlock();  // skipping notifies every queue, this one included
        detail::skipTo(next);
        return;
      }
    }
    // A manual clock only moves by advance(), which wakes us.
    if (due != DISPATCH_TIME_FOREVER && !Clock::isManual())
      wakeAt = std::min(wakeAt, std::chrono::steady_clock::now() + detail::timerWait(due, now));
    const std::uint64_t seen = wakeups_;
    cv_.wait_until(lock, wakeAt, [&] { return wakeups_ != seen; });
  }

  std::size_t pendingCount() {
    std::lock_guard lock(mutex_);
    return ready_.size() + timers_.size();
  }

  void reset() {
    std::deque<dispatch_block_t> droppedReady;
    std::map<TimerKey, dispatch_block_t> droppedTimers;
    {
      std::lock_guard lock(mutex_);
      droppedReady.swap(ready_);
      droppedTimers.swap(timers_);
      ++generation_;
      ++wakeups_;
    }
    // The blocks die here, outside the lock: their captures may post again.
  }

 private:
  void promoteDueTimers() {
    const std::uint64_t now = Clock::now();
    while (!timers_.empty() && timers_.begin()->first.first <= now) {
      auto node = timers_.extract(timers_.begin());
      ready_.push_back(std::move(node.mapped()));
    }
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<dispatch_block_t> ready_;
  std::map<TimerKey, dispatch_block_t> timers_;
  std::uint64_t nextTimer_ = 0;
  std::uint64_t wakeups_ = 0;
  std::uint64_t generation_ = 0;
};

// Never destroyed: other threads may post to the main queue during exit.
MainLoop& mainLoop() {
  static auto* loop = new MainLoop;
  return *loop;
}

// now + timeout, saturating, so "wait as long as it takes" cannot overflow.
std::chrono::steady_clock::time_point deadlineAfter(std::chrono::nanoseconds timeout) {
  const auto now = std::chrono::steady_clock::now();
  const auto room = std::chrono::steady_clock::time_point::max() - now;
  return timeout >= room ? std::chrono::steady_clock::time_point::max() : now + timeout;
}

void requireMainThread(const char* call) {
  if (isMainThread()) return;
  std::fprintf(stderr, "dispatch: %s called off the main thread\n", call);
  detail::fail("only the main thread may drain the main queue");
}

class MainQueue final : public dispatch_queue_s {
 public:
  MainQueue() : dispatch_queue_s("com.apple.main-thread") {}

  void async(dispatch_block_t block) override { mainLoop().post(std::move(block)); }

  void after(dispatch_time_t when, dispatch_block_t block, dispatch_queue_t /*self*/) override {
    // The main queue lives for the process, so there is nothing to keep alive.
    mainLoop().postAfter(when, std::move(block));
  }

  void sync(dispatch_block_t block) override {
    if (isMainThread()) detail::fail("dispatch_sync to the main queue from the main thread deadlocks");
    detail::SyncWaiter waiter;
    mainLoop().post(waiter.wrap(std::move(block)));
    waiter.wait();
  }

  bool isCurrent() const noexcept override { return isMainThread(); }
};

}  // namespace

namespace detail {

void wakeMainLoop() noexcept { mainLoop().wake(); }

}  // namespace detail

bool isMainThread() noexcept {
  // The initial thread's id is the process id, whoever loaded this library and
  // whenever; cached per thread since the call is a system call.
  thread_local const bool isMain = ::gettid() == ::getpid();
  return isMain;
}

std::size_t MainRunLoop::runOnce() {
  requireMainThread("MainRunLoop::runOnce");
  return mainLoop().runOnce();
}

bool MainRunLoop::runUntil(const std::function<bool()>& predicate, std::chrono::nanoseconds timeout) {
  requireMainThread("MainRunLoop::runUntil");
  const auto deadline = deadlineAfter(timeout);
  for (;;) {
    if (predicate()) return true;
    const std::size_t ran = mainLoop().runOnce();
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return predicate();
    if (ran == 0) mainLoop().waitForWork(std::min(deadline, now + kPredicatePoll));
  }
}

std::size_t MainRunLoop::runFor(std::chrono::nanoseconds duration) {
  requireMainThread("MainRunLoop::runFor");
  const auto deadline = deadlineAfter(duration);
  std::size_t total = 0;
  for (;;) {
    const std::size_t ran = mainLoop().runOnce();
    total += ran;
    if (std::chrono::steady_clock::now() >= deadline) return total;
    if (ran == 0) mainLoop().waitForWork(deadline);
  }
}

std::size_t MainRunLoop::pendingCount() { return mainLoop().pendingCount(); }

void MainRunLoop::wakeUp() { mainLoop().wake(); }

void MainRunLoop::resetForTesting() {
  requireMainThread("MainRunLoop::resetForTesting");
  mainLoop().reset();
}

}  // namespace dispatch

dispatch_queue_t dispatch_get_main_queue() {
  // Never destroyed, like the loop it fronts.
  static auto* queue = new dispatch_queue_t(std::make_shared<dispatch::MainQueue>());
  return *queue;
}
