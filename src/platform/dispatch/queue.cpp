// The entry points shared by every kind of queue: they check their arguments
// and hand over to the queue.

#include <cstdio>
#include <cstdlib>

#include "platform/dispatch/dispatch.h"
#include "platform/dispatch/dispatch_internal.h"

namespace dispatch {
namespace detail {

void fail(const char* what) noexcept {
  std::fprintf(stderr, "dispatch: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

}  // namespace detail

namespace {

dispatch_queue_s& checked(const dispatch_queue_t& queue, dispatch_block_t& block, const char* call) {
  if (!queue) {
    std::fprintf(stderr, "dispatch: %s\n", call);
    detail::fail("null queue");
  }
  if (!block) {
    std::fprintf(stderr, "dispatch: %s\n", call);
    detail::fail("empty block");
  }
  return *queue;
}

}  // namespace

dispatch_queue_t currentQueue() {
  if (auto serial = detail::currentSerialQueue()) return serial;
  return isMainThread() ? dispatch_get_main_queue() : nullptr;
}

bool isCurrentQueue(const dispatch_queue_t& queue) noexcept { return queue && queue->isCurrent(); }

}  // namespace dispatch

const char* dispatch_queue_get_label(const dispatch_queue_t& queue) {
  if (queue) return queue->label.c_str();
  const dispatch_queue_t current = dispatch::currentQueue();
  // The main queue lives for the process, and a serial queue's label lives as
  // long as the queue, which outlives the block that asked.
  return current ? current->label.c_str() : "";
}

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block) {
  dispatch::checked(queue, block, "dispatch_async").async(std::move(block));
}

void dispatch_sync(const dispatch_queue_t& queue, dispatch_block_t block) {
  dispatch::checked(queue, block, "dispatch_sync").sync(std::move(block));
}

void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block) {
  dispatch_queue_s& target = dispatch::checked(queue, block, "dispatch_after");
  if (when == DISPATCH_TIME_FOREVER) return;  // never due: the block dies unrun
  target.after(when, std::move(block), queue);
}
