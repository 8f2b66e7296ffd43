#pragma once
// IMP: a method implementation. Like the device's, it is a plain C function
// (receiver, selector, arguments...); unlike the device's, it also carries the
// encoding of its real C++ type, so a call with the wrong types is caught as a
// programming error instead of being undefined behaviour.

#include <string>

#include "platform/objc/encoding.h"

namespace objc {
[[noreturn]] void fatal(const std::string& message);
}

class IMP {
 public:
  IMP() = default;
  IMP(std::nullptr_t) {}
  template <class R, class... A>
  IMP(R (*fn)(id, SEL, A...)) noexcept
      : fn_(reinterpret_cast<void (*)()>(fn)), types_(&objc::encodingOf<R, A...>()) {
    static_assert(!std::is_same_v<R, id>, "an implementation returns objects as StrongId");
  }

  explicit operator bool() const noexcept { return fn_ != nullptr; }
  bool operator==(const IMP& o) const noexcept { return fn_ == o.fn_; }
  // The encoding of the function's real type ("v@:@"), or empty for a null IMP.
  std::string_view types() const noexcept { return types_ ? std::string_view(*types_) : std::string_view(); }

  // Calls the function. R and A must be canonical; a mismatch with the
  // function's real type is a loud error.
  template <class R, class... A>
  R call(id self, SEL op, A... args) const {
    const std::string& want = objc::encodingOf<R, A...>();
    if (!fn_) objc::fatal("call through a null IMP");
    if (types_ != &want && *types_ != want)
      objc::fatal("encoding mismatch: call as " + want + " on an implementation of " + *types_);
    return reinterpret_cast<R (*)(id, SEL, A...)>(fn_)(self, op, args...);
  }

 private:
  void (*fn_)() = nullptr;
  const std::string* types_ = nullptr;
};
