// Serial queues: each one a thread that runs its blocks one at a time, in
// submission order, with delayed blocks timed on dispatch::Clock.

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"
#include "platform/dispatch/sync_waiter.h"

namespace dispatch {
namespace {

struct Entry {
  dispatch_block_t block;
  dispatch_queue_t keepAlive;  // set for delayed blocks only
};

using TimerKey = std::pair<std::uint64_t, std::uint64_t>;  // due time, submission order

// What the queue's thread needs; shared by the handle and the thread, so a
// thread that outlives its handle (the last handle released on the thread
// itself) still has it.
struct QueueState final : detail::ClockObserver {
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<Entry> ready;
  std::map<TimerKey, Entry> timers;
  std::uint64_t nextTimer = 0;
  std::uint64_t wakeups = 0;
  bool closed = false;
  std::weak_ptr<dispatch_queue_s> handle;  // written before the thread starts

  void clockChanged() noexcept override { bump(); }

  void bump() {
    {
      std::lock_guard lock(mutex);
      ++wakeups;
    }
    cv.notify_all();
  }

  void push(Entry entry) {
    detail::queueWorkAdded();
    {
      std::lock_guard lock(mutex);
      ready.push_back(std::move(entry));
      ++wakeups;
    }
    cv.notify_all();
  }

  void pushTimer(dispatch_time_t when, Entry entry) {
    detail::queueTimerAdded(when);
    {
      std::lock_guard lock(mutex);
      timers.emplace(TimerKey{when, nextTimer++}, std::move(entry));
      ++wakeups;
    }
    cv.notify_all();
  }

  // The next entry to run; false once closed and nothing is left.
  bool next(Entry& out) {
    std::unique_lock lock(mutex);
    for (;;) {
      const std::uint64_t now = Clock::now();
      while (!timers.empty() && timers.begin()->first.first <= now) {
        auto node = timers.extract(timers.begin());
        detail::queueWorkAdded();  // before the timer goes, so the clock never sees neither
        detail::queueTimerTaken(node.key().first);
        ready.push_back(std::move(node.mapped()));
      }
      if (!ready.empty()) {
        out = std::move(ready.front());
        ready.pop_front();
        return true;
      }
      if (closed && timers.empty()) return false;
      const std::uint64_t seen = wakeups;
      const auto woken = [&] { return wakeups != seen; };
      // A manual clock only moves by advance(), which wakes us.
      if (timers.empty() || Clock::isManual())
        cv.wait(lock, woken);
      else
        cv.wait_for(lock, detail::timerWait(timers.begin()->first.first, now), woken);
    }
  }
};

thread_local QueueState* tl_running = nullptr;

void runQueue(std::shared_ptr<QueueState> state) {
  tl_running = state.get();
  detail::addClockObserver(state.get());
  Entry entry;
  while (state->next(entry)) {
    entry.block();
    // Outside the lock: the captures, or the delayed block's handle, may be the
    // queue's last handle, whose release closes the queue from this thread.
    entry = Entry{};
    detail::queueWorkDone();
  }
  detail::removeClockObserver(state.get());
  tl_running = nullptr;
}

class SerialQueue final : public dispatch_queue_s {
 public:
  explicit SerialQueue(std::string queueLabel)
      : dispatch_queue_s(std::move(queueLabel)), state_(std::make_shared<QueueState>()) {}

  void start(const std::shared_ptr<SerialQueue>& self) {
    state_->handle = self;
    thread_ = std::thread(runQueue, state_);
    // Linux allows 15 characters; the name is only for debuggers.
    const std::string name = label.substr(0, 15);
    pthread_setname_np(thread_.native_handle(), name.c_str());
  }

  ~SerialQueue() override {
    {
      std::lock_guard lock(state_->mutex);
      state_->closed = true;
      ++state_->wakeups;
    }
    state_->cv.notify_all();
    if (thread_.get_id() == std::this_thread::get_id())
      thread_.detach();  // it drains what is left and ends by itself
    else
      thread_.join();
  }

  void async(dispatch_block_t block) override { state_->push(Entry{std::move(block), nullptr}); }

  void after(dispatch_time_t when, dispatch_block_t block, dispatch_queue_t self) override {
    state_->pushTimer(when, Entry{std::move(block), std::move(self)});
  }

  void sync(dispatch_block_t block) override {
    if (isCurrent()) detail::fail("dispatch_sync to the queue the caller runs on deadlocks");
    detail::SyncWaiter waiter;
    state_->push(Entry{waiter.wrap(std::move(block)), nullptr});
    waiter.wait();
  }

  bool isCurrent() const noexcept override { return tl_running == state_.get(); }

 private:
  std::shared_ptr<QueueState> state_;
  std::thread thread_;
};

}  // namespace

namespace detail {

dispatch_queue_t currentSerialQueue() { return tl_running ? tl_running->handle.lock() : nullptr; }

}  // namespace detail
}  // namespace dispatch

dispatch_queue_t dispatch_queue_create(const char* label, dispatch_queue_attr_t /*attr*/) {
  auto queue = std::make_shared<dispatch::SerialQueue>(label ? label : "");
  queue->start(queue);
  return queue;
}
