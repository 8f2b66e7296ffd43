#include "scorelens/loader/libroot.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/dispatch/dispatch.h"
#include "scorelens/loader/module_image.h"

namespace {
using PrefixFn = const char* (*)();
using PathFn = char* (*)(const char*, char*);

struct FunctionTable {
  PrefixFn rootPrefix = nullptr;
  PrefixFn jbrootPrefix = nullptr;
  PrefixFn bootUUID = nullptr;
  PathFn jbrootpath = nullptr;
  PathFn rootfspath = nullptr;
};

FunctionTable table;
dispatch_once_t tableOnce;
void* librootHandle = nullptr;  // kept open for the life of the process

// strlcpy and strlcat: bounded to `size` bytes with the terminating zero.
void copyBounded(char* dst, const char* src, size_t size) {
  size_t n = std::strlen(src);
  if (n >= size) n = size - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

void appendBounded(char* dst, const char* src, size_t size) {
  size_t used = std::strlen(dst);
  if (used + 1 >= size) return;
  copyBounded(dst + used, src, size - used);
}

// The platform's loader resolves "@rpath/" against the asking image's run
// paths. Here they are $SCORELENS_RPATH (colon-separated) and then the
// directory of the module library the host loaded (none when the module's code
// runs without it, as in unit tests: then only $SCORELENS_RPATH is searched).
void* openAtRPath(const char* name) {
  static constexpr std::string_view kRPath = "@rpath/";
  std::string_view request(name);
  if (request.substr(0, kRPath.size()) != kRPath) return dlopen(name, RTLD_NOW);
  std::string leaf(request.substr(kRPath.size()));
  std::string dirs;
  if (const char* env = std::getenv("SCORELENS_RPATH")) dirs = env;
  std::string moduleDirectory = CXModuleImageDirectory();
  if (!moduleDirectory.empty()) dirs += (dirs.empty() ? "" : ":") + moduleDirectory;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      if (void* handle = dlopen((dir + "/" + leaf).c_str(), RTLD_NOW)) return handle;
    }
    start = end + 1;
  }
  return nullptr;
}

template <class Fn>
void lookUp(Fn& slot, const char* name) {
  if (librootHandle) slot = reinterpret_cast<Fn>(dlsym(librootHandle, name));
}

void fillTable() {
  librootHandle = openAtRPath("@rpath/libroot.dylib");  // RTLD_NOW, the value 2
  lookUp(table.rootPrefix, "libroot_get_root_prefix");
  lookUp(table.jbrootPrefix, "libroot_get_jbroot_prefix");
  lookUp(table.bootUUID, "libroot_get_boot_uuid");
  lookUp(table.jbrootpath, "libroot_jbrootpath");
  lookUp(table.rootfspath, "libroot_rootfspath");
  if (!table.rootPrefix) table.rootPrefix = libroot_get_root_prefix_fallback;
  if (!table.jbrootPrefix) table.jbrootPrefix = libroot_get_jbroot_prefix_fallback;
  if (!table.bootUUID) table.bootUUID = libroot_get_boot_uuid_fallback;
  if (!table.jbrootpath) table.jbrootpath = libroot_jbrootpath_fallback;
  if (!table.rootfspath) table.rootfspath = libroot_rootfspath_fallback;
}

char* bufferOrNew(char* resolvedPath) {
  return resolvedPath ? resolvedPath : static_cast<char*>(std::malloc(CXRootPathBufferSize));
}

// libroot promises texts; a null answer is read as the empty text rather than
// crashing every path mapping.
const char* textOrEmpty(const char* text) { return text ? text : ""; }

// The length of the jailbreak-root prefix of path, or npos when path is not
// below it. The prefix is a directory: "/var/jb" holds "/var/jb" and
// "/var/jb/usr", not "/var/jbx". Trailing slashes of the prefix do not count.
size_t jbrootPrefixLength(const char* path, const char* prefix) {
  size_t length = std::strlen(prefix);
  while (length > 0 && prefix[length - 1] == '/') --length;
  if (std::strncmp(path, prefix, length) != 0) return std::string::npos;
  if (path[length] != '\0' && path[length] != '/') return std::string::npos;
  return length;
}
}  // namespace

extern "C" {

void libroot_load(void) { dispatch_once(&tableOnce, [] { fillTable(); }); }

const char* libroot_dyn_get_root_prefix(void) {
  libroot_load();
  return table.rootPrefix();
}

const char* libroot_dyn_get_jbroot_prefix(void) {
  libroot_load();
  return table.jbrootPrefix();
}

const char* libroot_dyn_get_boot_uuid(void) {
  libroot_load();
  return table.bootUUID();
}

char* libroot_dyn_jbrootpath(const char* path, char* resolvedPath) {
  libroot_load();
  return table.jbrootpath(path, resolvedPath);
}

char* libroot_dyn_rootfspath(const char* path, char* resolvedPath) {
  libroot_load();
  return table.rootfspath(path, resolvedPath);
}

const char* libroot_get_root_prefix_fallback(void) { return ""; }

const char* libroot_get_jbroot_prefix_fallback(void) { return "/var/jb"; }

const char* libroot_get_boot_uuid_fallback(void) { return "00000000-0000-0000-0000-000000000000"; }

char* libroot_jbrootpath_fallback(const char* path, char* resolvedPath) {
  if (!path) return nullptr;
  char* out = bufferOrNew(resolvedPath);
  if (!out) return nullptr;
  libroot_load();
  const char* prefix = textOrEmpty(table.jbrootPrefix());
  if (path[0] == '/') {
    copyBounded(out, prefix, CXRootPathBufferSize);
    appendBounded(out, path, CXRootPathBufferSize);
  } else {
    copyBounded(out, path, CXRootPathBufferSize);
  }
  return out;
}

char* libroot_rootfspath_fallback(const char* path, char* resolvedPath) {
  if (!path) return nullptr;
  char* out = bufferOrNew(resolvedPath);
  if (!out) return nullptr;
  libroot_load();
  const char* rootPrefix = textOrEmpty(table.rootPrefix());
  const char* jbrootPrefix = textOrEmpty(table.jbrootPrefix());
  size_t length = path[0] == '/' ? jbrootPrefixLength(path, jbrootPrefix) : std::string::npos;
  if (length != std::string::npos) {
    // The jailbreak root itself maps to the root directory, not to "".
    copyBounded(out, path[length] ? path + length : "/", CXRootPathBufferSize);
  } else if (path[0] == '/') {
    copyBounded(out, rootPrefix, CXRootPathBufferSize);
    appendBounded(out, path, CXRootPathBufferSize);
  } else {
    copyBounded(out, path, CXRootPathBufferSize);
  }
  return out;
}

}  // extern "C"
