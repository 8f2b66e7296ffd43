// One-time guards. The finished state is read with one acquire load; only
// callers that meet a running block take the shared lock and wait.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"

namespace {

constexpr dispatch_once_t kUnset = 0;
constexpr dispatch_once_t kRunning = 1;
constexpr dispatch_once_t kDone = 2;

// One lock for every guard: waiting is rare and short, and a guard is only a
// word, as on the device, so it has no room for a lock of its own.
std::mutex& onceMutex() {
  static auto* m = new std::mutex;
  return *m;
}

std::condition_variable& onceCv() {
  static auto* cv = new std::condition_variable;
  return *cv;
}

// Guards whose block this thread is running, to catch a block that reaches
// its own guard.
thread_local std::vector<const dispatch_once_t*> tl_running;

void finish(std::atomic_ref<dispatch_once_t> state, dispatch_once_t value) {
  {
    // Stored under the lock so that a waiter cannot check and then miss it.
    std::lock_guard lock(onceMutex());
    state.store(value, std::memory_order_release);
  }
  onceCv().notify_all();
}

}  // namespace

void dispatch_once(dispatch_once_t* predicate, const dispatch_block_t& block) {
  if (!predicate) dispatch::detail::fail("dispatch_once with a null predicate");
  std::atomic_ref<dispatch_once_t> state(*predicate);
  if (state.load(std::memory_order_acquire) == kDone) return;
  if (!block) dispatch::detail::fail("dispatch_once with an empty block");

  for (;;) {
    dispatch_once_t seen = kUnset;
    if (state.compare_exchange_strong(seen, kRunning, std::memory_order_acq_rel, std::memory_order_acquire)) {
      tl_running.push_back(predicate);
      try {
        block();
      } catch (...) {
        std::erase(tl_running, predicate);
        finish(state, kUnset);  // the next caller tries again
        throw;
      }
      std::erase(tl_running, predicate);
      finish(state, kDone);
      return;
    }
    if (seen == kDone) return;
    if (std::find(tl_running.begin(), tl_running.end(), predicate) != tl_running.end())
      dispatch::detail::fail("dispatch_once block reached its own guard (deadlock)");
    std::unique_lock lock(onceMutex());
    onceCv().wait(lock, [&] { return state.load(std::memory_order_acquire) != kRunning; });
    if (state.load(std::memory_order_acquire) == kDone) return;
  }
}
