#pragma once
// What the host tests share: one app per process (its classes cannot be
// registered twice), booted lazily at the newest version without the module,
// and a way to run a check in a fresh process for another version or with
// the module loaded (whose hooks would otherwise stay for the other tests).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "host/HostApplication.h"
#include "support/coverage_dump.h"

namespace hosttest {

inline constexpr const char* kSharedVersion = "16.51.0";

// The process's app at kSharedVersion, iPhone, no module, defaults in memory.
inline host::HostApplication& sharedHost() {
  static host::HostApplication* app = [] {
    host::HostConfig config;
    config.version = kSharedVersion;
    config.userDefaultsPath = "";
    host::Result<host::HostApplication*> booted = host::HostApplication::boot(config);
    if (!booted) {
      std::fprintf(stderr, "shared host failed to boot: %s\n", booted.error().message.c_str());
      std::abort();
    }
    return booted.value();
  }();
  return *app;
}

// Failures collected in a child process, which cannot report through gtest.
class ChildChecks {
 public:
  bool expect(bool condition, const std::string& why) {
    if (!condition) failures_.push_back(why);
    return condition;
  }
  [[noreturn]] void finish() const {
    for (const std::string& f : failures_) std::fprintf(stderr, "child check failed: %s\n", f.c_str());
    std::fflush(nullptr);
    dumpCoverageCounters();
    std::_Exit(failures_.empty() ? 0 : 1);
  }

 private:
  std::vector<std::string> failures_;
};

// Runs body in a re-executed copy of this test binary, so it can boot its
// own host; passes when every check in it passed.
#define HOST_EXPECT_IN_FRESH_PROCESS(body)                                         \
  do {                                                                             \
    GTEST_FLAG_SET(death_test_style, "threadsafe");                                \
    EXPECT_EXIT(                                                                   \
        {                                                                          \
          ::hosttest::ChildChecks checks;                                          \
          body(checks);                                                            \
          checks.finish();                                                         \
        },                                                                         \
        ::testing::ExitedWithCode(0), "");                                         \
  } while (0)

// Boots a host in a child process; a boot failure is a failed check and ends the child.
inline host::HostApplication& bootOrFinish(ChildChecks& checks, host::HostConfig config) {
  if (!config.userDefaultsPath) config.userDefaultsPath = "";
  host::Result<host::HostApplication*> booted = host::HostApplication::boot(config);
  if (!booted) {
    checks.expect(false, "boot failed: " + booted.error().message);
    checks.finish();
  }
  return *booted.value();
}

// The built libScoreLens.so, or "" when this tree has not built it.
inline std::string modulePath() {
#ifdef SCORELENS_MODULE_LIBRARY
  return SCORELENS_MODULE_LIBRARY;
#else
  return {};
#endif
}

inline host::HostConfig configAt(const std::string& version) {
  host::HostConfig config;
  config.version = version;
  return config;
}

}  // namespace hosttest
