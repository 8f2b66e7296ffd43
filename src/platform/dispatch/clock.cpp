// The process-wide clock and the registry of those who wait on it.

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <set>
#include <vector>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"

namespace dispatch {
namespace {

constexpr std::uint64_t kLatest = DISPATCH_TIME_FOREVER - 1;

enum class Mode { Real, Manual, Skipping };

std::atomic<Mode> g_mode{Mode::Real};
std::atomic<std::uint64_t> g_manualNow{0};
std::atomic<std::uint64_t> g_skipped{0};  // skipping mode: added to real time
std::atomic<long> g_holds{0};
std::atomic<long> g_queueWork{0};
// Serialises mode changes, so two threads switching at once cannot leave the
// frozen value from one and the mode from the other.
std::mutex g_modeMutex;

std::uint64_t realNow() noexcept {
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return std::clamp<std::uint64_t>(static_cast<std::uint64_t>(ns), 1, kLatest);
}

struct Registry {
  std::mutex mutex;
  std::vector<detail::ClockObserver*> observers;
};

// Never destroyed: queue threads may outlive static destruction at exit.
Registry& registry() {
  static auto* r = new Registry;
  return *r;
}

// The due times of the serial queues' delayed blocks, so that a skipping
// clock jumps to them as it does to the main queue's timers.
struct QueueTimers {
  std::mutex mutex;
  std::multiset<std::uint64_t> due;
};

QueueTimers& queueTimers() {
  static auto* t = new QueueTimers;
  return *t;
}

void notifyObservers() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  for (auto* observer : r.observers) observer->clockChanged();
}

// The count went to zero: a skipping clock's run loop may now jump.
void settledOne(std::atomic<long>& count) noexcept {
  if (count.fetch_sub(1, std::memory_order_acq_rel) == 1 && Clock::isSkipping()) detail::wakeMainLoop();
}

std::uint64_t skippingNow() noexcept {
  const std::uint64_t real = realNow();
  const std::uint64_t skipped = g_skipped.load(std::memory_order_acquire);
  return skipped > kLatest - real ? kLatest : real + skipped;
}

}  // namespace

std::uint64_t Clock::now() noexcept {
  switch (g_mode.load(std::memory_order_acquire)) {
    case Mode::Manual: return g_manualNow.load(std::memory_order_acquire);
    case Mode::Skipping: return skippingNow();
    case Mode::Real: break;
  }
  return realNow();
}

bool Clock::isManual() noexcept { return g_mode.load(std::memory_order_acquire) == Mode::Manual; }

bool Clock::isSkipping() noexcept { return g_mode.load(std::memory_order_acquire) == Mode::Skipping; }

void Clock::setManual(bool manual) {
  {
    std::lock_guard lock(g_modeMutex);
    const Mode mode = g_mode.load(std::memory_order_relaxed);
    if (manual == (mode == Mode::Manual)) return;
    if (manual) g_manualNow.store(now(), std::memory_order_release);
    g_mode.store(manual ? Mode::Manual : Mode::Real, std::memory_order_release);
  }
  notifyObservers();
}

void Clock::setSkipping(bool skipping) {
  {
    std::lock_guard lock(g_modeMutex);
    const Mode mode = g_mode.load(std::memory_order_relaxed);
    if (skipping == (mode == Mode::Skipping)) return;
    if (skipping) {
      const std::uint64_t from = now(), real = realNow();
      g_skipped.store(from > real ? from - real : 0, std::memory_order_release);
    }
    g_mode.store(skipping ? Mode::Skipping : Mode::Real, std::memory_order_release);
  }
  notifyObservers();
}

void Clock::advance(std::uint64_t nanoseconds) {
  {
    std::lock_guard lock(g_modeMutex);
    if (g_mode.load(std::memory_order_relaxed) != Mode::Manual)
      detail::fail("Clock::advance needs manual mode (Clock::setManual(true))");
    const std::uint64_t was = g_manualNow.load(std::memory_order_relaxed);
    const std::uint64_t next = nanoseconds > kLatest - was ? kLatest : was + nanoseconds;
    g_manualNow.store(next, std::memory_order_release);
  }
  notifyObservers();
}

void Clock::advance(std::chrono::nanoseconds duration) {
  if (duration.count() < 0) detail::fail("Clock::advance cannot move the clock back");
  advance(static_cast<std::uint64_t>(duration.count()));
}

ClockHold::ClockHold() noexcept : held_(true) { g_holds.fetch_add(1, std::memory_order_acq_rel); }

ClockHold::ClockHold(const ClockHold&) noexcept : ClockHold() {}

ClockHold::~ClockHold() { release(); }

void ClockHold::release() noexcept {
  if (!held_) return;
  held_ = false;
  settledOne(g_holds);
}

ScopedManualClock::ScopedManualClock() : wasManual_(Clock::isManual()), wasSkipping_(Clock::isSkipping()) {
  Clock::setManual(true);
}

ScopedManualClock::~ScopedManualClock() {
  Clock::setManual(wasManual_);
  if (wasSkipping_) Clock::setSkipping(true);
}

namespace detail {

void addClockObserver(ClockObserver* observer) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.observers.push_back(observer);
}

void removeClockObserver(ClockObserver* observer) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  std::erase(r.observers, observer);
}

void queueWorkAdded() noexcept { g_queueWork.fetch_add(1, std::memory_order_acq_rel); }

void queueWorkDone() noexcept { settledOne(g_queueWork); }

void queueTimerAdded(std::uint64_t due) {
  {
    QueueTimers& t = queueTimers();
    std::lock_guard lock(t.mutex);
    t.due.insert(due);
  }
  // The run loop may be waiting for a later timer of its own, or none.
  if (Clock::isSkipping()) wakeMainLoop();
}

void queueTimerTaken(std::uint64_t due) {
  QueueTimers& t = queueTimers();
  std::lock_guard lock(t.mutex);
  if (auto it = t.due.find(due); it != t.due.end()) t.due.erase(it);
}

std::uint64_t earliestQueueTimer() {
  QueueTimers& t = queueTimers();
  std::lock_guard lock(t.mutex);
  return t.due.empty() ? DISPATCH_TIME_FOREVER : *t.due.begin();
}

bool nothingElseWaits() noexcept {
  return g_holds.load(std::memory_order_acquire) == 0 && g_queueWork.load(std::memory_order_acquire) == 0;
}

bool skipTo(std::uint64_t due) {
  {
    std::lock_guard lock(g_modeMutex);
    if (g_mode.load(std::memory_order_relaxed) != Mode::Skipping) return false;
    const std::uint64_t present = skippingNow();
    if (due > present) g_skipped.fetch_add(due - present, std::memory_order_acq_rel);
  }
  notifyObservers();
  return true;
}

}  // namespace detail
}  // namespace dispatch

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) {
  if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
  const std::uint64_t base = when == DISPATCH_TIME_NOW ? dispatch::Clock::now() : when;
  if (delta >= 0) {
    const auto forward = static_cast<std::uint64_t>(delta);
    return forward >= DISPATCH_TIME_FOREVER - base ? DISPATCH_TIME_FOREVER : base + forward;
  }
  // Negating INT64_MIN overflows; its magnitude still fits in uint64_t.
  const std::uint64_t back = static_cast<std::uint64_t>(-(delta + 1)) + 1;
  return back >= base ? 1 : base - back;
}
