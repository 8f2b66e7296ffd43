#include "platform/foundation/text/internal.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace text::detail {

void fatal(const char* function, const char* what) {
  std::fprintf(stderr, "text: fatal: %s: %s\n", function, what);
  std::abort();
}

std::int32_t icuLength(std::size_t n, const char* function) {
  if (n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    fatal(function, "text longer than ICU can address (2^31 code units)");
  return static_cast<std::int32_t>(n);
}

}  // namespace text::detail
