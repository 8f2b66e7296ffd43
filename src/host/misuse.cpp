#include "host/misuse.h"

#include <cstdio>
#include <cstdlib>

namespace host {
void misuse(const std::string& message) {
  std::fprintf(stderr, "host: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}
}  // namespace host
