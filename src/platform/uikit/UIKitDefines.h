#pragma once
// What every toolkit file shares: the main-thread checker, the loud failure
// for misuse, and the rule that lets toolkit enums cross the run time.

#include <string>

#include "platform/dispatch/dispatch.h"
#include "platform/objc/encoding.h"

namespace uikit::detail {
// Prints "UIKit called off the main thread: <member>" and aborts.
[[noreturn]] void offMainThread(const char* member);
// Prints "UIKit: <message>" and aborts: a toolkit API used against its contract.
[[noreturn]] void misuse(const std::string& message);

inline void checkMainThread(const char* member) {
  if (!dispatch::isMainThread()) [[unlikely]]
    offMainThread(member);
}
}  // namespace uikit::detail

// The toolkit belongs to the main thread, as on the device. Every entry point
// of a main-thread class opens with this; a call from any other thread is a
// loud error in every build that does not define
// SCORELENS_NO_MAIN_THREAD_CHECKER. Destructors do not check: the last
// reference to a view may legitimately die on a callback queue.
#ifndef SCORELENS_NO_MAIN_THREAD_CHECKER
#define UIKIT_MAIN_THREAD_ONLY() ::uikit::detail::checkMainThread(__PRETTY_FUNCTION__)
#else
#define UIKIT_MAIN_THREAD_ONLY() ((void)0)
#endif

// A toolkit enum crosses the run time as its underlying integer, as NSInteger
// and NSUInteger enums do on the device: objc::addMethod can then adapt
// members that take or return it.
#define UIKIT_BOUNDARY_ENUM(Enum)                              \
  template <>                                                  \
  struct objc::Canonical<Enum> {                               \
    using type = std::underlying_type_t<Enum>;                 \
  }
