#include "scorelens/loader/module_image.h"

#include <dlfcn.h>

#include <mutex>

namespace {
std::mutex& recordLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::string& recordedDirectory() {
  static auto* directory = new std::string;
  return *directory;
}
}  // namespace

void CXRecordModuleImage(const void* addressInImage) {
  Dl_info info{};
  if (!addressInImage || !dladdr(addressInImage, &info) || !info.dli_fname) return;
  std::string image = info.dli_fname;
  size_t slash = image.rfind('/');
  if (slash == std::string::npos) return;  // no directory known: nothing to search
  std::lock_guard guard(recordLock());
  recordedDirectory() = slash == 0 ? std::string("/") : image.substr(0, slash);
}

std::string CXModuleImageDirectory() {
  std::lock_guard guard(recordLock());
  return recordedDirectory();
}
