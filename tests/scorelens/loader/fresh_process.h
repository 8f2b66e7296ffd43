#pragma once
// Runs a test body in a process of its own. Process-wide state (once-only
// guards, the class table, installed hooks, resource slots, the root-path
// table) starts empty there, whatever tests ran before in this binary.
//
// The test binary is re-executed for the current test only (the thread-safe
// death-test style), so nothing is inherited, not even through a fork. The
// child collects its own failures, writes them to its standard error, which
// the parent shows, and exits with status 1, which fails the test here.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "support/coverage_dump.h"

namespace fresh_process {
inline std::vector<std::filesystem::path>& foldersToRemove() {
  static std::vector<std::filesystem::path> folders;
  return folders;
}

// A folder the process made outside itself (a server's certificates) that
// must go even when a test in a process of its own ends in quick_exit, past
// every teardown.
inline void removeAtQuickExit(std::filesystem::path folder) {
  if (foldersToRemove().empty())
    std::at_quick_exit([] {
      std::error_code ignored;
      for (const std::filesystem::path& f : foldersToRemove()) std::filesystem::remove_all(f, ignored);
    });
  foldersToRemove().push_back(std::move(folder));
}

// The child's side: runs body, reports what failed in it, and exits.
template <class Body>
[[noreturn]] void runAndExit(Body& body) {
  ::testing::TestPartResultArray results;
  {
    ::testing::ScopedFakeTestPartResultReporter collect(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &results);
    body();
  }
  int failures = 0;
  for (int i = 0; i < results.size(); ++i) {
    const ::testing::TestPartResult& result = results.GetTestPartResult(i);
    if (!result.failed()) continue;
    ++failures;
    std::fprintf(stderr, "%s:%d: %s\n", result.file_name() ? result.file_name() : "?", result.line_number(),
                 result.message());
  }
  std::fflush(nullptr);
  dumpCoverageCounters();
  std::quick_exit(failures ? 1 : 0);  // through removeAtQuickExit's handler
}
}  // namespace fresh_process

template <class Body>
void inFreshProcess(Body body) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(fresh_process::runAndExit(body), ::testing::ExitedWithCode(0), "")
      << "the body failed in its own process";
}
