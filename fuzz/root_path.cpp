// The jailbreak-root path fallbacks, with the caller's buffer and with one
// they allocate.

#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "scorelens/loader/libroot.h"

namespace {

void check(const char* mapped) {
  if (!mapped || std::strlen(mapped) >= CXRootPathBufferSize) fuzz::broken();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::Input in(bytes, size);
  const std::string path(in.rest().substr(0, in.rest().find('\0')));
  char buffer[CXRootPathBufferSize];
  using Mapping = char* (*)(const char*, char*);
  for (Mapping map : {Mapping{libroot_jbrootpath_fallback}, Mapping{libroot_rootfspath_fallback},
                      Mapping{libroot_dyn_jbrootpath}, Mapping{libroot_dyn_rootfspath}}) {
    check(map(path.c_str(), buffer));
    char* allocated = map(path.c_str(), nullptr);
    check(allocated);
    std::free(allocated);
  }
  return 0;
}
