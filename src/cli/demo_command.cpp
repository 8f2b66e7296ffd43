// scorelens demo: the main job. Boots the simulated host at a version, loads
// the module, opens a title's page and shows what the page shows once the
// strip has settled, with the facts the module gathered and the requests it
// made.

#include <fmt/format.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/defaults_file.h"
#include "cli/demo.h"
#include "cli/install_layout.h"
#include "cli/report.h"
#include "cli/strip_report.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/layout_engine.h"

namespace cli {
namespace {

using namespace demo;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Opening {
  host::TitlePage page;
  double elapsedMs = -1;  // page open to scores (or message) shown
  bool settledInTime = false;
};

Opening openAndSettle(host::HostApplication& app, const DemoOptions& o, long videoId) {
  Opening opening;
  Clock::time_point start = Clock::now();
  auto page = app.openPage(videoId);
  if (!page) return opening;
  opening.page = page.value();
  int quietChecks = 0;
  app.runUntil(
      [&] {
        Ref<CXEnhancedRatingViewContainer> strip = stripOf(opening.page);
        if (settled(strip.get())) return true;
        quietChecks = idle(strip.get()) ? quietChecks + 1 : 0;
        return quietChecks >= 2;
      },
      std::chrono::seconds(10));
  opening.settledInTime = settled(stripOf(opening.page).get());
  if (opening.settledInTime) opening.elapsedMs = msSince(start);
  // Let the certified swap and the meters' own animations finish for the picture.
  app.runUntil([] { return !UIView::hasRunningAnimations(); }, std::chrono::seconds(2));
  (void)o;
  return opening;
}

std::optional<long> chooseVideo(const host::Catalog& catalog, const DemoOptions& o, std::string* error) {
  if (o.videoId) {
    if (!catalog.find(*o.videoId)) {
      *error = fmt::format("no title with video id {} in the host catalog", *o.videoId);
      return std::nullopt;
    }
    return o.videoId;
  }
  std::string title = o.title.empty() ? kDefaultTitle : o.title;
  auto found = catalog.findByTitle(title);
  if (found.empty()) {
    *error = fmt::format("no title \"{}\" in the host catalog", title);
    return std::nullopt;
  }
  return found.front()->videoId;
}

void storePreferences(const DemoOptions& o) {
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  auto store = [&](const std::optional<std::string>& value, const char* key) {
    if (value) defaults->setBool_forKey(*value == "on", NSString::stringWithUTF8String(key));
  };
  store(o.criticPercentage, "CXCriticRatingPercentageEnabled");
  store(o.criticMeter, "CXCriticRatingMeterEnabled");
  store(o.audiencePercentage, "CXAudienceRatingPercentageEnabled");
  store(o.audienceMeter, "CXAudienceRatingMeterEnabled");
}

int runDemo(const DemoOptions& o) {
  if (o.sweep) return runSweep(o);
  std::string error;
  auto env = ServiceEnvironment::start(o.services, &error);
  if (!env) {
    std::cerr << "scorelens demo: " << error << "\n";
    return 3;
  }
  // Preferences live in --defaults when given, else in a scratch file, never the user's.
  DefaultsFile defaults(o.defaultsFile, "demo");
  const std::string& defaultsPath = defaults.path();
  NSUserDefaults::setStandardUserDefaultsPath(defaultsPath);

  auto device = host::parseDevice(o.device);
  if (!device) {
    std::cerr << "scorelens demo: " << device.error().message << "\n";
    return 2;
  }
  host::HostConfig config;
  config.version = o.hostVersion;
  config.device = device.value();
  config.modulePath = std::getenv("SCORELENS_MODULE") ? std::getenv("SCORELENS_MODULE") : installLayout().modulePath;
  config.bundlePath = installLayout().hostBundlePath;
  config.catalogPath = o.hostCatalog.empty() ? installLayout().hostCatalogPath : o.hostCatalog;
  config.userDefaultsPath = defaultsPath;
  auto booted = host::HostApplication::boot(config);
  if (!booted) {
    std::cerr << "scorelens demo: " << booted.error().message << "\n";
    return 2;
  }
  host::HostApplication& app = *booted.value();
  storePreferences(o);
  if (o.networkStatus) app.setNetworkStatus(static_cast<host::NetworkStatus>(*o.networkStatus));
  auto videoId = chooseVideo(app.catalog(), o, &error);
  if (!videoId) {
    std::cerr << "scorelens demo: " << error << "\n";
    return 2;
  }

  TransferLog transfers;
  Clock::time_point since = Clock::now();
  Opening opening = openAndSettle(app, o, *videoId);
  if (o.reopen && opening.page.isOpen()) {
    opening.page.close();
    app.runUntil([&] { return !opening.page.isOpen(); }, std::chrono::seconds(2));
    transfers.clear();
    app.clearPresentedSheets();
    since = Clock::now();
    opening = openAndSettle(app, o, *videoId);
  }
  if (!opening.page.isOpen()) {
    std::cerr << "scorelens demo: the page did not open\n";
    return 3;
  }
  Ref<CXEnhancedRatingViewContainer> strip = stripOf(opening.page);
  app.layoutIfNeeded();
  UIView* window = app.rootNavigationController()->viewIfLoaded();
  uikit::auditLayout(window);
  nlohmann::json warnings = uikit::layoutWarnings();
  const std::vector<ScreenText> screen = screenTexts(window);
  UICollectionViewCell* stripCell = strip ? cellHolding(strip.get()) : nullptr;
  const bool older = static_cast<bool>(opening.page.legacyPage());
  if (o.picture.wanted()) {
    // The whole window as the user sees it: the navigation stack's view.
    UINavigationController* root = app.rootNavigationController();
    if (!writePicture(root ? root->view() : nullptr, o.picture, UIColor::blackColor(), &error)) {
      std::cerr << "scorelens demo: " << error << "\n";
      return 3;
    }
  }

  nlohmann::json requests = nlohmann::json::array();
  for (const auto& r : transfers.records())
    requests.push_back({{"method", r.method}, {"url", r.url}, {"ms", std::lround(r.milliseconds)}, {"status", r.status}});
  nlohmann::json sheet = false;
  nlohmann::json opened = nlohmann::json::array();
  for (const auto& url : app.openedURLs()) opened.push_back(utf8(url->absoluteString().get()));

  if (o.json) {
    nlohmann::json stripObject = strip ? stripJson(strip.get()) : nlohmann::json(nullptr);
    if (strip) {
      stripObject["placed"] = strip->superview() != nullptr;
      stripObject["aboveButton"] = stripIsAbovePlayButton(strip.get());
      stripObject["frame"] = windowFrame(strip.get());
    }
    nlohmann::json cell = nullptr;
    if (stripCell) cell = {{"class", stripCell->className()}, {"frame", windowFrame(stripCell)}};
    nlohmann::json j = {
        {"host", {{"version", o.hostVersion}, {"device", host::deviceName(app.device())}}},
        {"page",
         {{"videoId", *videoId},
          {"title", titleOf(opening.page)},
          {"metadataLine", metadataLineOf(opening.page)},
          {"generation", older ? "older" : "current"},
          {"cell", cell}}},
        {"model", modelJson(modelOf(opening.page).get())},
        {"strip", stripObject},
        {"requests", requests},
        {"sheetShown", !app.presentedSheets().empty()},
        {"openedURLs", opened},
        {"screen", screenJson(screen)},
        {"layoutWarnings", warnings},
        {"elapsedMs", opening.elapsedMs < 0 ? nlohmann::json(nullptr) : nlohmann::json(std::lround(opening.elapsedMs))}};
    notePicture(j, o.picture);
    std::cout << j.dump(2) << "\n";
  } else {
    std::cout << fmt::format("Host {} on an {}, ScoreLens loaded; {}\n\n", o.hostVersion, host::deviceName(app.device()),
                             env->describe());
    printPicture(screen, strip.get(), std::cout);
    std::cout << "\nFacts gathered from the page:\n";
    if (auto m = modelOf(opening.page)) {
      auto j = modelJson(m.get());
      for (const char* key : {"title", "releaseYear", "runtime", "numSeasons", "isMovie", "actors", "directors", "writers", "creators"})
        if (!j[key].is_null()) std::cout << fmt::format("  {:<12} {}\n", key, j[key].dump());
    } else if (older) {
      std::cout << "  (the older page keeps none: each showing of its summary cell gathers them anew)\n";
    }
    std::cout << "\nRequests:\n";
    if (requests.empty()) std::cout << (opening.elapsedMs >= 0 ? "  none (the rating came from the cache)\n" : "  none\n");
    for (const auto& r : requests)
      std::cout << fmt::format("  {:>5} ms  {} {} -> {}\n", r["ms"].get<long>(), r["method"].get<std::string>(),
                               r["url"].get<std::string>(), r["status"].get<long>());
    if (opening.elapsedMs >= 0)
      std::cout << fmt::format("\nPage open to scores shown: {:.0f} ms{}\n", opening.elapsedMs, o.reopen ? " (reopened)" : "");
    else if (older && strip && !strip->ratingDataTask())
      std::cout << "\nThe strip stays blank: the facts on this page are not enough for a lookup.\n";
    else if (strip && !strip->ratingDataTask())
      std::cout << "\nThe strip stays blank: no lookup was started.\n";
    else
      std::cout << "\nThe strip did not settle within 10 seconds.\n";
    std::cout << "\nLayout warnings:" << (warnings.empty() ? " none" : "") << "\n";
    for (const auto& w : warnings) std::cout << "  " << w.get<std::string>() << "\n";
    if (o.picture.wanted()) std::cout << fmt::format("\nPicture: {} (scale {})\n", o.picture.png, o.picture.scale);
  }
  (void)since;
  return 0;
}

}  // namespace

void addDemoCommand(CLI::App& app, Runner& run) {
  auto o = std::make_shared<DemoOptions>();
  auto* cmd = app.add_subcommand("demo", "Open a title page in the simulated host with ScoreLens loaded");
  cmd->add_option("--host-version", o->hostVersion, "Host version")->capture_default_str();
  cmd->add_option("--device", o->device, "iphone or ipad")->check(CLI::IsMember({"iphone", "ipad"}, CLI::ignore_case))->capture_default_str();
  auto* title = cmd->add_option("--title", o->title, "Title to open (default: Heat)");
  cmd->add_option("--video-id", o->videoId, "Video id to open")->excludes(title);
  cmd->add_option("--host-catalog", o->hostCatalog, "Host catalog (JSON)")->check(CLI::ExistingFile);
  cmd->add_flag("--reopen", o->reopen, "Close the page and open it again (the cached path)");
  cmd->add_option("--network-status", o->networkStatus, "The host's network status (3: no lookup)");
  auto onOff = CLI::IsMember({"on", "off"});
  cmd->add_option("--critic-percentage", o->criticPercentage)->check(onOff);
  cmd->add_option("--critic-meter", o->criticMeter)->check(onOff);
  cmd->add_option("--audience-percentage", o->audiencePercentage)->check(onOff);
  cmd->add_option("--audience-meter", o->audienceMeter)->check(onOff);
  cmd->add_option("--defaults", o->defaultsFile, "The preference file a device would keep (default: a scratch file)");
  cmd->add_flag("--json", o->json, "Print one JSON object (with --sweep, one array)");
  cmd->add_flag("--sweep", o->sweep,
                "Open a film (--title) and a series at each gate boundary's host versions on both devices");
  cmd->add_option("--sweep-series", o->sweepSeries, "The series the sweep opens")->capture_default_str();
  addPictureOptions(cmd, o->picture);
  cmd->get_option("--png")->description(
      "Also write a picture of the window to this PNG file (with --sweep, a folder: one file per page)");
  addServiceOptions(cmd, o->services, true);
  cmd->callback([&run, o] { run = [o] { return runDemo(*o); }; });
}

}  // namespace cli
