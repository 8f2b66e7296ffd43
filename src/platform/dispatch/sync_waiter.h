#pragma once
// Private to dispatch: the hand-over behind dispatch_sync. The caller wraps its
// block, queues the wrapper and waits until the wrapper is gone, which also
// means the block's captures are destroyed before dispatch_sync returns.

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"

namespace dispatch::detail {

class SyncWaiter {
 public:
  SyncWaiter() : state_(std::make_shared<State>()) {}

  // The wrapper to queue. Only one wrapper per waiter.
  dispatch_block_t wrap(dispatch_block_t block) {
    auto ticket = std::make_shared<Ticket>(state_, std::move(block));
    return [ticket] { ticket->run(); };
  }

  // Returns once the wrapper has run and been destroyed; a wrapper destroyed
  // unrun (a reset of the main queue) would leave the caller waiting forever,
  // so that is loud.
  void wait() {
    std::unique_lock lock(state_->mutex);
    state_->cv.wait(lock, [&] { return state_->released; });
    if (!state_->ran) fail("a block waited on by dispatch_sync was dropped unrun");
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable cv;
    bool ran = false;
    bool released = false;
  };

  // Shared by the copies of the wrapper; its end is the wrapper's end.
  class Ticket {
   public:
    Ticket(std::shared_ptr<State> state, dispatch_block_t block)
        : state_(std::move(state)), block_(std::move(block)) {}
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;

    ~Ticket() {
      block_ = nullptr;  // the captures go before the caller is released
      {
        std::lock_guard lock(state_->mutex);
        state_->released = true;
      }
      state_->cv.notify_all();
    }

    void run() {
      block_();
      std::lock_guard lock(state_->mutex);
      state_->ran = true;
    }

   private:
    std::shared_ptr<State> state_;
    dispatch_block_t block_;
  };

  std::shared_ptr<State> state_;
};

}  // namespace dispatch::detail
