// The installed tree as a person gets it: `cmake --install` of the build
// (nothing is built again) into a scratch prefix, the tree then moved
// elsewhere, and its command run from another folder with a bare
// environment. It must find its libraries, the module, the device's libroot
// and the resources by paths relative to itself, never in the build tree.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "cli/command_run.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

TEST(CliInstall, TheInstalledCommandShowsThePageFromAnotherFolderAfterTheTreeMoves) {
  const fs::path scratch = fs::path(::testing::TempDir()) / ("scorelens-install-" + std::to_string(::getpid()));
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  const fs::path installLog = scratch / "install.log";
  std::string install = std::string("'") + SCORELENS_CMAKE_COMMAND + "' --install '" + SCORELENS_BUILD_DIR + "' --prefix '" +
                        (scratch / "first").string() + "' >'" + installLog.string() + "' 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0) << readFile(installLog);
  fs::rename(scratch / "first", scratch / "moved");
  const fs::path prefix = scratch / "moved";

  // A bare environment, from the root folder; the loader says where each library came from.
  const fs::path loaderLog = scratch / "loader.log";
  CommandRun run;
  {
    std::string environment = "PATH=/usr/bin:/bin LD_DEBUG=files LD_DEBUG_OUTPUT='" + loaderLog.string() + "'";
    // A sanitizer build keeps the options (and suppressions) the test run gives it.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"})
      if (const char* value = std::getenv(name)) environment += std::string(" ") + name + "='" + value + "'";
    std::string command = "cd / && env -i " + environment + " '" + (prefix / "bin/scorelens").string() + "' demo --json";
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[4096];
      for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
      int raw = pclose(pipe);
      run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
  }
  ASSERT_EQ(run.status, 0) << run.out;
  nlohmann::json page = nlohmann::json::parse(run.out);
  EXPECT_EQ(page["page"]["title"], "Heat");
  EXPECT_EQ(page["strip"]["rows"][0]["icon"], "shooting_star") << "the module ran and found its artwork";
  EXPECT_EQ(page["strip"]["rows"][1]["icon"], "smile");
  EXPECT_TRUE(page["layoutWarnings"].empty()) << page["layoutWarnings"].dump();

  // Each library of ours that started, by the loader's "calling init: PATH"
  // lines (LD_DEBUG_OUTPUT adds the process id to the file's name).
  std::set<std::string> ours;
  for (const auto& entry : fs::directory_iterator(scratch)) {
    if (!entry.path().filename().string().starts_with("loader.log")) continue;
    std::istringstream lines(readFile(entry.path()));
    for (std::string line; std::getline(lines, line);) {
      size_t at = line.find("calling init: ");
      if (at == std::string::npos) continue;
      fs::path library = fs::weakly_canonical(line.substr(at + 14));
      std::string name = library.filename().string();
      if (name.find("scorelens") == std::string::npos && name.find("ScoreLens") == std::string::npos &&
          name.find("libroot") == std::string::npos)
        continue;
      EXPECT_TRUE(library.string().starts_with(prefix.string() + "/")) << library << " is not from the moved tree";
      ours.insert(fs::relative(library, prefix).string());
    }
  }
  EXPECT_EQ(ours, (std::set<std::string>{"lib/scorelens/libscorelens_platform.so", "lib/scorelens/libscorelens_module.so",
                                          "Library/MobileSubstrate/DynamicLibraries/libScoreLens.so",
                                          "Library/MobileSubstrate/DynamicLibraries/libroot.dylib"}));
  fs::remove_all(scratch);
}

}  // namespace
