#pragma once
// Private to dispatch: the queue interface behind dispatch_queue_t, the link
// from the clock to the queues that wait on it, and the loud failure.

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/dispatch/dispatch.h"

struct dispatch_queue_s {
  explicit dispatch_queue_s(std::string queueLabel) : label(std::move(queueLabel)) {}
  virtual ~dispatch_queue_s() = default;
  dispatch_queue_s(const dispatch_queue_s&) = delete;
  dispatch_queue_s& operator=(const dispatch_queue_s&) = delete;

  virtual void async(dispatch_block_t block) = 0;
  // self is the handle the block keeps until it has run (a delayed block keeps
  // its queue alive, as on the device).
  virtual void after(dispatch_time_t when, dispatch_block_t block, dispatch_queue_t self) = 0;
  // Runs block on the queue and returns once it has run.
  virtual void sync(dispatch_block_t block) = 0;
  virtual bool isCurrent() const noexcept = 0;

  const std::string label;
};

namespace dispatch::detail {

// The longest real-time wait for a timer: a far deadline added to the steady
// clock would overflow it, and waking once an hour to recompute costs nothing.
inline std::chrono::nanoseconds timerWait(std::uint64_t due, std::uint64_t now) {
  constexpr std::uint64_t kLongest = 3600 * NSEC_PER_SEC;
  return std::chrono::nanoseconds(due - now < kLongest ? due - now : kLongest);
}

// Prints "dispatch: <what>" and aborts.
[[noreturn]] void fail(const char* what) noexcept;

// Something that waits on Clock and must recompute its wait when the clock is
// advanced or changes mode. Implementations must not call into the registry
// from clockChanged.
class ClockObserver {
 public:
  virtual void clockChanged() noexcept = 0;

 protected:
  ~ClockObserver() = default;
};

// The observer must stay alive until it is removed; removal waits for a
// notification in progress.
void addClockObserver(ClockObserver* observer);
void removeClockObserver(ClockObserver* observer);

// Work on serial queues that can still post to the main queue: counted up
// when a block becomes ready to run, down once it has run.
void queueWorkAdded() noexcept;
void queueWorkDone() noexcept;
// A serial queue's delayed block, due at `due`, was queued, or taken to run.
void queueTimerAdded(std::uint64_t due);
void queueTimerTaken(std::uint64_t due);
// The earliest of them, or DISPATCH_TIME_FOREVER.
std::uint64_t earliestQueueTimer();
// Whether a skipping clock may jump: no ClockHold and no serial queue work.
bool nothingElseWaits() noexcept;
// Moves a skipping clock forward to `due` (no earlier) and wakes every queue;
// false in the other modes.
bool skipTo(std::uint64_t due);
// Wakes the main run loop, to look again whether it may skip.
void wakeMainLoop() noexcept;

// The serial queue whose thread is calling, or null (also while the queue is
// being torn down by its last handle).
dispatch_queue_t currentSerialQueue();

}  // namespace dispatch::detail
