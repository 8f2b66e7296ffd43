// The process-wide clock and the registry of those who wait on it.

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <vector>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"

namespace dispatch {
namespace {

constexpr std::uint64_t kLatest = DISPATCH_TIME_FOREVER - 1;

std::atomic<bool> g_manual{false};
std::atomic<std::uint64_t> g_manualNow{0};
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

void notifyObservers() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  for (auto* observer : r.observers) observer->clockChanged();
}

}  // namespace

std::uint64_t Clock::now() noexcept {
  if (g_manual.load(std::memory_order_acquire)) return g_manualNow.load(std::memory_order_acquire);
  return realNow();
}

bool Clock::isManual() noexcept { return g_manual.load(std::memory_order_acquire); }

void Clock::setManual(bool manual) {
  {
    std::lock_guard lock(g_modeMutex);
    if (manual == g_manual.load(std::memory_order_relaxed)) return;
    if (manual) g_manualNow.store(realNow(), std::memory_order_release);
    g_manual.store(manual, std::memory_order_release);
  }
  notifyObservers();
}

void Clock::advance(std::uint64_t nanoseconds) {
  {
    std::lock_guard lock(g_modeMutex);
    if (!g_manual.load(std::memory_order_relaxed))
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

ScopedManualClock::ScopedManualClock() : wasManual_(Clock::isManual()) { Clock::setManual(true); }

ScopedManualClock::~ScopedManualClock() { Clock::setManual(wasManual_); }

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
