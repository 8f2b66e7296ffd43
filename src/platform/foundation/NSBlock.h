#pragma once
// A block as an object, so that a C++ callable can cross the run time where
// the device passes a block (completion handlers of messages such as
// "presentViewController:animated:completion:"). Immutable; the callable runs
// on whatever thread invokes it.

#include <functional>
#include <utility>

#include "platform/foundation/NSObject.h"

class NSBlock : public NSObject {
 public:
  NSBlock() = default;
  explicit NSBlock(std::function<void()> body) : body_(std::move(body)) {}

  // nil for an empty callable, as a nil block.
  static Ref<NSBlock> blockWithFunction(std::function<void()> body) {
    return body ? make<NSBlock>(std::move(body)) : nullptr;
  }

  void invoke() const {
    if (body_) body_();
  }
  const std::function<void()>& function() const { return body_; }

  // The callable of block, or an empty one for nil.
  static std::function<void()> functionOf(const NSBlock* block) { return block ? block->body_ : nullptr; }

 private:
  std::function<void()> body_;
};
