#include "platform/uikit/UIKitDefines.h"

#include <cstdio>
#include <cstdlib>

namespace uikit::detail {

void offMainThread(const char* member) {
  std::fprintf(stderr, "UIKit called off the main thread: %s\n", member);
  std::fflush(stderr);
  std::abort();
}

void misuse(const std::string& message) {
  std::fprintf(stderr, "UIKit: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace uikit::detail
