// The simulated device's libroot: the jailbreak's root-prefix library, which
// the module finds as "@rpath/libroot.dylib" next to itself. Not module code:
// on a device this library belongs to the jailbreak.
//
// The jailbreak root is $SCORELENS_JBROOT when set (read on every call);
// else, when this library is installed in the device's layout
// (<root>/Library/MobileSubstrate/DynamicLibraries/), that <root>; else the
// build tree's staged root, where the build copies the module's resources.

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>

#ifndef SCORELENS_STAGED_JBROOT
#error "SCORELENS_STAGED_JBROOT must name the staged jailbreak root"
#endif

namespace {
constexpr size_t kPathSize = 1024;  // the buffer size every caller passes

void copyBounded(char* out, const char* text) {
  size_t n = std::strlen(text);
  if (n >= kPathSize) n = kPathSize - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

// The root above this library's folder, when the folder is the device's
// folder of injected libraries; nullptr otherwise. Worked out once.
const char* installedRoot() {
  static const std::string root = [] {
    static const std::string kFolder = "/Library/MobileSubstrate/DynamicLibraries/";
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&installedRoot), &info) || !info.dli_fname) return std::string();
    std::string self = info.dli_fname;
    std::size_t at = self.rfind(kFolder);
    if (at == std::string::npos || self.find('/', at + kFolder.size()) != std::string::npos) return std::string();
    return self.substr(0, at);
  }();
  return root.empty() ? nullptr : root.c_str();
}

void appendBounded(char* out, const char* text) {
  size_t used = std::strlen(out);
  if (used + 1 < kPathSize) copyBounded(out + used, text);
}
}  // namespace

extern "C" {

__attribute__((visibility("default"))) const char* libroot_get_root_prefix(void) { return ""; }

__attribute__((visibility("default"))) const char* libroot_get_jbroot_prefix(void) {
  const char* configured = std::getenv("SCORELENS_JBROOT");
  if (configured && *configured) return configured;
  const char* installed = installedRoot();
  return installed ? installed : SCORELENS_STAGED_JBROOT;
}

__attribute__((visibility("default"))) const char* libroot_get_boot_uuid(void) {
  return "5C0AE1E5-0000-4000-8000-000000000001";
}

__attribute__((visibility("default"))) char* libroot_jbrootpath(const char* path, char* resolved) {
  if (!path) return nullptr;
  char* out = resolved ? resolved : static_cast<char*>(std::malloc(kPathSize));
  if (!out) return nullptr;
  out[0] = '\0';
  if (path[0] == '/') copyBounded(out, libroot_get_jbroot_prefix());
  appendBounded(out, path);
  return out;
}

__attribute__((visibility("default"))) char* libroot_rootfspath(const char* path, char* resolved) {
  if (!path) return nullptr;
  char* out = resolved ? resolved : static_cast<char*>(std::malloc(kPathSize));
  if (!out) return nullptr;
  const char* prefix = libroot_get_jbroot_prefix();
  size_t length = std::strlen(prefix);
  bool below = path[0] == '/' && std::strncmp(path, prefix, length) == 0 &&
               (path[length] == '\0' || path[length] == '/');
  copyBounded(out, below ? (path[length] ? path + length : "/") : path);
  return out;
}

}  // extern "C"
