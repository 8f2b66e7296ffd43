// demo --sweep: a film and a series at every gate boundary on both devices.

#include <fmt/format.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <future>
#include <iostream>

#include "cli/contact_sheet.h"
#include "cli/demo.h"

extern char** environ;

namespace cli::demo {
namespace {

// Each gate boundary of the module, just below and at it, then the current
// page's own boundaries. One process per page: a host boots once per process.
const char* const kSweepVersions[] = {
    "9.18.9",  "9.19.0",  "9.47.9",  "9.48.0",  "9.99.9",  "10.0.0",  "10.1.9",  "10.2.0",  "10.99.9", "11.0.0",
    "11.99.9", "12.0.0",  "12.4.9",  "12.5.0",  "13.13.9", "13.14.0", "14.22.9", "14.23.0", "14.27.9", "14.28.0",
    "15.0.9",  "15.1.0",  "16.0.9",  "16.1",    "16.30.0", "16.50.9", "16.51.0"};

// Runs this program with args; its standard output, or nullopt when it failed.
std::optional<std::string> runChild(const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), ::environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

// A page's picture in the sweep's folder: "16.51.0-iphone-breaking-bad.png".
std::string sweepPictureName(const std::string& version, const std::string& device, const std::string& title) {
  std::string slug;
  for (char c : title) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!slug.empty() && slug.back() != '-')
      slug += '-';
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return fmt::format("{}-{}-{}.png", version, device, slug.empty() ? "title" : slug);
}

}  // namespace

int runSweep(const DemoOptions& o) {
  std::string error;
  // With --sweep, --png names a folder: made when missing, one file per page.
  std::filesystem::path pictures = o.picture.png;
  if (o.picture.wanted()) {
    std::error_code made;
    std::filesystem::create_directories(pictures, made);
    if (!std::filesystem::is_directory(pictures)) {
      std::cerr << fmt::format("scorelens demo: --png {}: not a folder that can be made{}\n", o.picture.png,
                               made ? " (" + made.message() + ")" : "");
      return 3;
    }
  }
  auto env = ServiceEnvironment::start(o.services, &error);
  if (!env) {
    std::cerr << "scorelens demo: " << error << "\n";
    return 3;
  }
  std::vector<std::vector<std::string>> runs;
  for (const char* version : kSweepVersions)
    for (const char* device : {"iphone", "ipad"})
      for (const std::string& title : {o.title.empty() ? std::string(kDefaultTitle) : o.title, o.sweepSeries}) {
        std::vector<std::string> args = {"scorelens", "demo",   "--json", "--host-version", version,
                                         "--device",  device, "--title", title};
        for (const auto& [flag, value] : {std::pair{"--critic-percentage", &o.criticPercentage},
                                          std::pair{"--critic-meter", &o.criticMeter},
                                          std::pair{"--audience-percentage", &o.audiencePercentage},
                                          std::pair{"--audience-meter", &o.audienceMeter}})
          if (*value) args.insert(args.end(), {flag, **value});
        if (!o.defaultsFile.empty()) args.insert(args.end(), {"--defaults", o.defaultsFile});
        if (!o.hostCatalog.empty()) args.insert(args.end(), {"--host-catalog", o.hostCatalog});
        if (o.picture.wanted())
          args.insert(args.end(), {"--png", (pictures / sweepPictureName(version, device, title)).string(), "--scale",
                                   std::to_string(o.picture.scale)});
        args.insert(args.end(), env->childArguments().begin(), env->childArguments().end());
        runs.push_back(std::move(args));
      }

  // A few pages at a time: each mostly waits for its loopback lookups.
  constexpr size_t kAtOnce = 3;
  std::vector<std::optional<std::string>> outputs(runs.size());
  for (size_t first = 0; first < runs.size(); first += kAtOnce) {
    std::vector<std::future<std::optional<std::string>>> batch;
    for (size_t i = first; i < std::min(runs.size(), first + kAtOnce); ++i)
      batch.push_back(std::async(std::launch::async, runChild, runs[i]));
    for (size_t i = 0; i < batch.size(); ++i) outputs[first + i] = batch[i].get();
  }

  nlohmann::json all = nlohmann::json::array();
  std::vector<SheetPage> sheet;
  int failures = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    const std::vector<std::string>& args = runs[i];
    nlohmann::json page = outputs[i] ? nlohmann::json::parse(*outputs[i], nullptr, false) : nlohmann::json();
    if (page.is_discarded() || !page.is_object()) {
      ++failures;
      std::cerr << fmt::format("scorelens demo: the page at host {} on {} ({}) failed\n", args[4], args[6], args[8]);
      continue;
    }
    if (o.picture.wanted())
      sheet.push_back({(pictures / sweepPictureName(args[4], args[6], args[8])).string(), args[4], args[6], args[8],
                       stripSummary(page["strip"]), page["layoutWarnings"].size()});
    if (o.json) {
      all.push_back(page);
      continue;
    }
    const nlohmann::json& cell = page["page"]["cell"];
    const nlohmann::json& warnings = page["layoutWarnings"];
    std::string shows = stripSummary(page["strip"]);
    // The older page's own facts leave a film without a running time: only the cache completes it.
    if (shows == "blank" && page["requests"].empty()) shows = "blank (facts incomplete, not cached)";
    std::cout << fmt::format("{:<8} {:<6} {:<7} {:<40} {:<14.14} {:<36} warnings: {}\n",
                             page["host"]["version"].get<std::string>(), page["host"]["device"].get<std::string>(),
                             page["page"]["generation"].get<std::string>(),
                             cell.is_null() ? "(no cell)" : cell["class"].get<std::string>(),
                             page["page"]["title"].get<std::string>(), shows,
                             warnings.empty() ? "none" : std::to_string(warnings.size()));
    for (const auto& w : warnings) std::cout << "    " << w.get<std::string>() << "\n";
  }
  if (o.picture.wanted() && !writeContactSheet((pictures / "sheet.png").string(), sheet, &error)) {
    std::cerr << "scorelens demo: " << error << "\n";
    return 3;
  }
  if (o.json) std::cout << all.dump(2) << "\n";
  if (!o.json && o.picture.wanted())
    std::cout << fmt::format("\nPictures: {} in {} (scale {}), and all of them in sheet.png\n",
                             runs.size() - static_cast<size_t>(failures), o.picture.png, o.picture.scale);
  return failures ? 3 : 0;
}

}  // namespace cli::demo
