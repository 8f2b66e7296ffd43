#pragma once
// The dispatch stand-in: one process-wide clock, the main queue as a run loop
// that the host drives from the main thread, serial queues each on a thread of
// their own, delayed blocks and one-time guards. Names follow the device's API
// where it has them; the extras live in namespace dispatch.
//
// Blocks are plain std::function<void()>. A block must not throw: an exception
// that escapes it on a queue's thread ends the process; on the main queue it
// leaves MainRunLoop's run call, with the block already removed.
//
// Misuse (a null queue, an empty block, draining the main queue off the main
// thread, a dispatch_sync that can only deadlock) is a programming error: it
// prints the reason and aborts.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct dispatch_queue_s;
struct dispatch_queue_attr_s;

using dispatch_block_t = std::function<void()>;
using dispatch_queue_t = std::shared_ptr<dispatch_queue_s>;
using dispatch_queue_attr_t = const dispatch_queue_attr_s*;
using dispatch_time_t = std::uint64_t;
using dispatch_once_t = std::intptr_t;

// Macros, as on the device, and guarded: some system headers define them too.
#ifndef NSEC_PER_SEC
#define NSEC_PER_SEC 1000000000ull
#endif
#ifndef NSEC_PER_MSEC
#define NSEC_PER_MSEC 1000000ull
#endif
#ifndef NSEC_PER_USEC
#define NSEC_PER_USEC 1000ull
#endif

inline constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
inline constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
// The only attribute there is: every queue made here is serial.
inline constexpr dispatch_queue_attr_t DISPATCH_QUEUE_SERIAL = nullptr;

// --- time --------------------------------------------------------------------
// A point on dispatch::Clock: `when` (DISPATCH_TIME_NOW meaning the clock's
// present) moved by delta nanoseconds, which may be negative. Saturates:
// FOREVER stays FOREVER, an overflow gives FOREVER, and a point before the
// clock's origin gives 1 (already past, but not mistaken for NOW). Any thread.
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta);

// --- queues ------------------------------------------------------------------
// The main queue: blocks posted to it run on the main thread when the host
// spins dispatch::MainRunLoop. Lives for the whole process. Any thread.
dispatch_queue_t dispatch_get_main_queue();

// A new serial queue with its own thread: blocks run one at a time in the
// order they were submitted. Costs one thread until the last handle is gone.
// Releasing the last handle runs every block already submitted, then joins
// the thread; if the last handle is released by a block on the queue itself,
// the thread finishes the same way and then ends on its own. A delayed block
// holds a handle until it has run, as on the device, so the queue and its
// thread last until its time comes. label may be null (the label is then "").
dispatch_queue_t dispatch_queue_create(const char* label,
                                       dispatch_queue_attr_t attr = DISPATCH_QUEUE_SERIAL);

// The queue's label; for a null queue (DISPATCH_CURRENT_QUEUE_LABEL) the label
// of the queue the caller runs on, or "" on a thread that runs none. The text
// lives as long as the queue.
#define DISPATCH_CURRENT_QUEUE_LABEL nullptr
const char* dispatch_queue_get_label(const dispatch_queue_t& queue);

// Queues block to run after everything already on queue; returns at once.
// Any thread.
void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block);

// Runs block on queue and waits until it has run. Calling it for the queue the
// caller is running on (the main queue from the main thread included) can only
// deadlock and is a programming error. On the main queue from another thread it
// waits until the main thread spins the run loop.
void dispatch_sync(const dispatch_queue_t& queue, dispatch_block_t block);

// Queues block on queue once dispatch::Clock reaches when (from dispatch_time);
// a time already past means "as soon as possible", after blocks already queued
// that were due no later. DISPATCH_TIME_FOREVER never comes: the block is
// destroyed unrun, as on the device. Blocks due at the same time keep their
// submission order. Any thread.
void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block);

// Runs block exactly once per predicate for the life of the process. Callers
// that arrive while it runs wait for it and return after it has finished, so
// whatever it wrote is visible to them. If block throws, the guard stays unset,
// the exception propagates and the next caller runs it. A block that reaches
// its own predicate again is a programming error (it would deadlock).
// predicate must be zero-initialised (a static dispatch_once_t is).
void dispatch_once(dispatch_once_t* predicate, const dispatch_block_t& block);

namespace dispatch {

// --- the clock -----------------------------------------------------------------
// The one clock that dispatch_time, delayed blocks, the run loop and animations
// read. Real mode (the default) follows std::chrono::steady_clock; manual mode
// stands still until advance() moves it, so tests can step over delays without
// waiting; skipping mode runs with real time but jumps over the waits in which
// nothing but the main queue's timers can happen. All functions are
// thread-safe.
class Clock {
 public:
  // Nanoseconds on the clock; never DISPATCH_TIME_NOW (0) or FOREVER.
  static std::uint64_t now() noexcept;
  static bool isManual() noexcept;
  // Entering manual mode freezes the clock at its present time; leaving it
  // resumes real time (which may jump either way). Wakes every queue so that
  // waits are recomputed.
  static void setManual(bool manual);
  // Skipping mode: when the main run loop would wait for the next timer (its
  // own or a serial queue's delayed block) and nothing else can bring it work
  // first (no block queued or running on a serial queue, no ClockHold alive,
  // such as a network request in flight), the clock jumps to that timer. So
  // delays and animations cost no real time, while what comes from other
  // threads or the network comes in the order a real-time run gives. Real
  // time keeps counting, so a duration read on the clock is what a real-time
  // run would show. Only a waiting main run loop jumps. Leaving it resumes
  // real time (a jump back by the time skipped); entering it from manual mode
  // starts from the frozen time.
  static void setSkipping(bool skipping);
  static bool isSkipping() noexcept;
  // Moves the manual clock forward and wakes the main run loop and every
  // serial queue, so blocks that became due run on their next turn. Advancing
  // in real mode is a programming error.
  static void advance(std::uint64_t nanoseconds);
  static void advance(std::chrono::nanoseconds duration);
};

// Puts the clock in manual mode for a scope and restores the previous mode.
class ScopedManualClock {
 public:
  ScopedManualClock();
  ~ScopedManualClock();
  ScopedManualClock(const ScopedManualClock&) = delete;
  ScopedManualClock& operator=(const ScopedManualClock&) = delete;

 private:
  bool wasManual_;
  bool wasSkipping_;
};

// Keeps a skipping clock from jumping while it lives, for work the run loop
// cannot see that will bring it more (a network request in flight). A copy
// holds too. Cheap (an atomic count), it matters only in skipping mode; any
// thread.
class ClockHold {
 public:
  ClockHold() noexcept;
  ClockHold(const ClockHold& other) noexcept;
  ClockHold& operator=(const ClockHold&) = delete;
  ~ClockHold();
  // Lets go before destruction; idempotent.
  void release() noexcept;

 private:
  bool held_;
};

// --- threads and queues ----------------------------------------------------------
// True on the process's initial thread, the one that runs the main queue.
bool isMainThread() noexcept;

// The queue whose block the calling thread is running: a serial queue on its
// own thread, the main queue on the main thread, null elsewhere (or while a
// serial queue is being torn down by its last handle).
dispatch_queue_t currentQueue();

// Whether the calling thread is running queue's blocks (for the main queue:
// whether it is the main thread). False for null.
bool isCurrentQueue(const dispatch_queue_t& queue) noexcept;

// --- the main run loop -------------------------------------------------------------
// The main queue's blocks and due timers run only inside these calls, which
// belong to the main thread: calling them from another thread is a programming
// error. Blocks posted while a call runs are picked up by later passes. Calls
// may nest (a block may spin the loop).
class MainRunLoop {
 public:
  // One pass: moves every timer due on Clock into the queue, then runs the
  // blocks that were queued when the pass began, in order. Returns how many ran.
  // Never waits.
  static std::size_t runOnce();

  // Runs passes until predicate() is true or timeout (real time, whatever the
  // clock's mode) has passed; returns predicate()'s last answer. Between passes
  // it waits on a condition variable, woken by posted blocks, by Clock::advance
  // and, in real mode, by the next timer; it also rechecks predicate every few
  // milliseconds, so predicate may watch state that another thread changes
  // without posting here. In manual mode it never moves the clock itself.
  static bool runUntil(const std::function<bool()>& predicate, std::chrono::nanoseconds timeout);

  // Runs passes for duration of real time; returns how many blocks ran.
  static std::size_t runFor(std::chrono::nanoseconds duration);

  // Blocks queued plus timers not yet run. Any thread.
  static std::size_t pendingCount();

  // Wakes a runUntil/runFor that is waiting, so it re-evaluates its predicate.
  // Any thread.
  static void wakeUp();

  // Tests only: drops every queued block and timer, so a test starts clean. A
  // dispatch_sync waiting on a dropped block aborts loudly rather than hang.
  static void resetForTesting();
};

}  // namespace dispatch
