#include "scorelens/lookup/CXServiceConfiguration.h"

#include <mutex>

namespace {
// Never destroyed: requests may be built while the process exits.
std::mutex& configurationLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
CXServiceConfiguration& configuration() {
  static auto* value = new CXServiceConfiguration;
  return *value;
}
}  // namespace

CXServiceConfiguration CXServiceConfiguration::current() {
  std::lock_guard lock(configurationLock());
  return configuration();
}

void CXServiceConfiguration::setCurrent(CXServiceConfiguration value) {
  std::lock_guard lock(configurationLock());
  configuration() = std::move(value);
}
