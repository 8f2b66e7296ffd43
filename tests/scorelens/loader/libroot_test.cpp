#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "scorelens/loader/fresh_process.h"
#include "scorelens/loader/libroot.h"
#include "scorelens/loader/module_image.h"

// The table of root-path functions fills once per process, so each case runs
// in a process of its own, with $SCORELENS_RPATH chosen before the first call.

namespace {
constexpr const char* kBundle = "/Library/Application Support/ScoreLens.bundle";

// The answer of a path function, freed when it allocated one.
std::string mapped(char* (*fn)(const char*, char*), const char* path) {
  char* out = fn(path, nullptr);
  if (!out) return "<null>";
  std::string text = out;
  std::free(out);
  return text;
}

void searchOnly(const char* dirs) {
  if (dirs)
    ::setenv("SCORELENS_RPATH", dirs, 1);
  else
    ::unsetenv("SCORELENS_RPATH");
}
}  // namespace

TEST(RootPathWithoutLibroot, EveryFunctionFallsBack) {
  inFreshProcess([] {
    searchOnly(nullptr);
    ASSERT_EQ(CXModuleImageDirectory(), "") << "no module library is loaded in the test binary";
    EXPECT_STREQ(libroot_dyn_get_root_prefix(), "");
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), "/var/jb");
    EXPECT_STREQ(libroot_dyn_get_boot_uuid(), "00000000-0000-0000-0000-000000000000");
    EXPECT_EQ(mapped(libroot_dyn_jbrootpath, kBundle), "/var/jb/Library/Application Support/ScoreLens.bundle");
    EXPECT_EQ(mapped(libroot_dyn_jbrootpath, "relative/path"), "relative/path") << "only absolute paths move";
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/var/jb/usr/lib"), "/usr/lib");
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/usr/lib"), "/usr/lib") << "empty root prefix, then the path";
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "relative/path"), "relative/path");
  });
}

TEST(RootPathWithoutLibroot, RootfsPathMatchesThePrefixAsADirectory) {
  inFreshProcess([] {
    searchOnly(nullptr);
    // Regression: a plain character match took "/var/jbx/..." for a path below
    // "/var/jb" and answered the relative "x/...".
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/var/jbx/file"), "/var/jbx/file");
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/var/jb"), "/") << "the root itself is the root directory, not \"\"";
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/var/jb/"), "/");
  });
}

TEST(RootPathWithoutLibroot, BuffersAreTheCallersOrNewAndResultsAreCut) {
  inFreshProcess([] {
    searchOnly(nullptr);
    char buffer[CXRootPathBufferSize];
    EXPECT_EQ(libroot_dyn_jbrootpath("/etc", buffer), buffer);
    EXPECT_STREQ(buffer, "/var/jb/etc");
    EXPECT_EQ(libroot_dyn_rootfspath("/var/jb/etc", buffer), buffer);
    EXPECT_STREQ(buffer, "/etc");

    EXPECT_EQ(libroot_dyn_jbrootpath(nullptr, buffer), nullptr);
    EXPECT_EQ(libroot_dyn_rootfspath(nullptr, nullptr), nullptr) << "nothing is allocated for a null path";

    // A new block of the full size: writing its last byte is fine under ASan.
    char* fresh = libroot_dyn_jbrootpath("/a", nullptr);
    ASSERT_NE(fresh, nullptr);
    fresh[CXRootPathBufferSize - 1] = '\0';
    std::free(fresh);

    std::string longPath = "/" + std::string(2000, 'p');
    libroot_dyn_jbrootpath(longPath.c_str(), buffer);
    EXPECT_EQ(std::strlen(buffer), CXRootPathBufferSize - 1) << "cut to 1023 characters";
    EXPECT_EQ(std::string(buffer, 8), "/var/jb/");
    libroot_dyn_rootfspath(("/var/jb" + longPath).c_str(), buffer);
    EXPECT_EQ(std::strlen(buffer), CXRootPathBufferSize - 1);
  });
}

TEST(RootPathWithLibroot, EverySlotIsLibrootsFunction) {
  inFreshProcess([] {
    // A directory without libroot is passed over.
    searchOnly("/nonexistent/scorelens:" SCORELENS_TEST_FAKE_LIBROOT_FULL_DIR);
    EXPECT_STREQ(libroot_dyn_get_root_prefix(), "/fake/rootfs");
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), "/fake/jb");
    EXPECT_STREQ(libroot_dyn_get_boot_uuid(), "FAKE-BOOT-UUID");
    EXPECT_EQ(mapped(libroot_dyn_jbrootpath, kBundle), std::string("libroot-jb:") + kBundle);
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/fake/jb/x"), "libroot-rootfs:/fake/jb/x");
    // The fallbacks themselves read libroot's prefixes.
    EXPECT_EQ(mapped(libroot_jbrootpath_fallback, "/etc"), "/fake/jb/etc");
    EXPECT_EQ(mapped(libroot_rootfspath_fallback, "/etc"), "/fake/rootfs/etc");
    EXPECT_EQ(mapped(libroot_rootfspath_fallback, "/fake/jb/etc"), "/etc");
  });
}

TEST(RootPathWithLibroot, OnlyTheMissingSlotsFallBack) {
  inFreshProcess([] {
    searchOnly(SCORELENS_TEST_FAKE_LIBROOT_PREFIX_ONLY_DIR);
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), "/prefix/only");
    EXPECT_STREQ(libroot_dyn_get_root_prefix(), "") << "fallback";
    EXPECT_STREQ(libroot_dyn_get_boot_uuid(), "00000000-0000-0000-0000-000000000000") << "fallback";
    EXPECT_EQ(mapped(libroot_dyn_jbrootpath, kBundle), "/prefix/only/Library/Application Support/ScoreLens.bundle")
        << "the path fallback uses libroot's prefix";
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/prefix/only/usr/lib"), "/usr/lib");
    EXPECT_EQ(mapped(libroot_dyn_rootfspath, "/var/jb/usr/lib"), "/var/jb/usr/lib") << "not below libroot's prefix";
  });
}

TEST(RootPathTable, FillsOncePerProcess) {
  inFreshProcess([] {
    searchOnly(nullptr);
    libroot_load();
    searchOnly(SCORELENS_TEST_FAKE_LIBROOT_FULL_DIR);
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), "/var/jb") << "libroot is looked for only the first time";
  });
  inFreshProcess([] {
    searchOnly(SCORELENS_TEST_FAKE_LIBROOT_FULL_DIR);
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), "/fake/jb");
    searchOnly(SCORELENS_TEST_FAKE_LIBROOT_PREFIX_ONLY_DIR);
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), "/fake/jb");
  });
}

TEST(RootPathTable, ConcurrentFirstCallsSeeOneTable) {
  inFreshProcess([] {
    searchOnly(SCORELENS_TEST_FAKE_LIBROOT_FULL_DIR);
    std::vector<std::string> answers(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < answers.size(); ++i)
      threads.emplace_back([&answers, i] { answers[i] = mapped(libroot_dyn_jbrootpath, "/x"); });
    for (std::thread& t : threads) t.join();
    for (const std::string& answer : answers) EXPECT_EQ(answer, "libroot-jb:/x");
  });
}

TEST(RootPathTable, FindsLibrootBesideTheLoadedModule) {
  inFreshProcess([] {
    searchOnly(nullptr);
    ::unsetenv("SCORELENS_JBROOT");
    // What the host does: load the module library, beside which the build puts
    // the simulated device's libroot.
    CXRecordModuleImage(nullptr);
    ASSERT_EQ(CXModuleImageDirectory(), "") << "a null address records nothing";
    void* module = dlopen(SCORELENS_TEST_MODULE_LIBRARY, RTLD_NOW);
    ASSERT_NE(module, nullptr) << dlerror();
    EXPECT_EQ(CXModuleImageDirectory(), SCORELENS_TEST_DEVICE_LIB_DIR);
    EXPECT_STREQ(libroot_dyn_get_jbroot_prefix(), SCORELENS_TEST_STAGED_JBROOT)
        << "the device's libroot answers the staged jailbreak root";
  });
}
