// scorelens demo: the main job. Boots the simulated host at a version, loads
// the module, opens a title's page and shows what the page shows once the
// strip has settled, with the facts the module gathered and the requests it
// made.

#include <fmt/format.h>

#include <algorithm>
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
  double elapsedMs = -1;  // page open to the strip settled (scores, a message, or blank for good)
  bool settledInTime = false;
};

Opening openAndSettle(host::HostApplication& app, const DemoOptions& o, long videoId) {
  Opening opening;
  Clock::time_point start = Clock::now();
  auto page = app.openPage(videoId);
  if (!page) return opening;
  opening.page = page.value();
  int quietChecks = 0;
  opening.settledInTime = app.runUntil(
      [&] {
        Ref<CXEnhancedRatingViewContainer> strip = stripOf(opening.page);
        if (settled(strip.get())) return true;
        quietChecks = idle(strip.get()) ? quietChecks + 1 : 0;
        return quietChecks >= 2;
      },
      std::chrono::seconds(10));
  if (opening.settledInTime) opening.elapsedMs = msSince(start);
  // Let the certified swap and the meters' own animations finish for the picture.
  app.runUntil([] { return !UIView::hasRunningAnimations(); }, std::chrono::seconds(2));
  (void)o;
  return opening;
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

// What the strip settled on, in a few words.
std::string settledOn(const nlohmann::json& strip) {
  if (strip.is_null()) return "blank";
  if (!strip["rows"].empty() && !strip["rows"][0]["icon"].is_null()) return "scores";
  return strip["message"]["visible"].get<bool>() ? "a message" : "blank";
}

// The time to a settled strip, split into the requests' and the page's own
// (its delays, the module's spinner and fades): the requests run one after
// the other, so their times add up.
std::string settleLine(const Opening& opening, const nlohmann::json& strip, const nlohmann::json& requests, bool reopen) {
  double network = 0;
  for (const auto& r : requests) network += r["ms"].get<double>();
  network = std::min(network, opening.elapsedMs);
  std::string split = requests.empty()
                          ? " (no request: all of it the page's own delays and fades)"
                          : fmt::format(" ({:.0f} ms network in {} request{}, {:.0f} ms the page's own delays and fades)",
                                        network, requests.size(), requests.size() == 1 ? "" : "s",
                                        opening.elapsedMs - network);
  return fmt::format("Page open to strip settled: {:.0f} ms, on {}{}{}\n", opening.elapsedMs, settledOn(strip), split,
                     reopen ? "; reopened" : "");
}

// A lookup that failed leaves the page shown (the strip says so in its own
// words); the line on standard error says which request and why.
void warnOfFailedRequests(const nlohmann::json& strip, const TransferLog& transfers) {
  const bool errorShown = !strip.is_null() && strip["message"]["visible"].get<bool>() && strip["message"]["icon"] == "x";
  const auto records = transfers.records();
  const bool lastFailed = !records.empty() && records.back().errorCode != 0;
  if (errorShown)
    warn("demo", "the lookup failed: " + transfers.failure().line());
  else if (lastFailed)
    warn("demo", transfers.failure().line() + "; the scores stay unconfirmed");
}

void printFacts(const host::TitlePage& page, bool older, bool cached, std::ostream& out) {
  out << "\nFacts gathered from the page:\n";
  if (auto m = modelOf(page)) {
    auto j = modelJson(m.get());
    bool any = false;
    for (const char* key : {"title", "releaseYear", "runtime", "numSeasons", "isMovie", "actors", "directors", "writers", "creators"})
      if (!j[key].is_null()) {
        out << fmt::format("  {:<12} {}\n", key, j[key].dump());
        any = true;
      }
    if (!any) out << (cached ? "  none: the scores came from the cache, so the page needed none\n" : "  none\n");
  } else if (older) {
    out << "  (the older page keeps none: each showing of its summary cell gathers them anew)\n";
  }
}

void printText(const host::HostApplication& app, const DemoOptions& o, const std::string& services, long videoId,
               const TitleChoice& choice) {
  std::cout << fmt::format("Host {} on an {}, ScoreLens loaded; {}\n", o.hostVersion, host::deviceName(app.device()),
                           services);
  if (!choice.others.empty()) {
    std::cout << fmt::format("Opened {}; also matching:", describeTitle(*app.catalog().find(videoId)));
    for (const host::CatalogTitle* t : choice.others) std::cout << " " << describeTitle(*t) << ";";
    std::cout << " open one with --video-id\n";
  }
  std::cout << "\n";
}

int runDemo(const DemoOptions& o) {
  if (o.sweep) return runSweep(o);
  if (o.list) {
    auto catalog = host::Catalog::load(o.hostCatalog.empty() ? installLayout().hostCatalogPath : o.hostCatalog);
    if (!catalog) return fail("demo", kFileError, catalog.error().message);
    printCatalog(catalog.value(), std::cout);
    return kDone;
  }
  if (!o.hostCatalog.empty())
    if (std::string why = unreadableFile(o.hostCatalog); !why.empty()) return fail("demo", kFileError, why);
  StartFailure failure;
  auto env = ServiceEnvironment::start(o.services, &failure);
  if (!env) return fail("demo", failure.status, failure.reason);
  // The host works on a scratch copy of --defaults: this run's form flags never reach the user's file.
  DefaultsFile defaults(o.defaultsFile, "demo", DefaultsFile::Use::ReadOnly);
  if (std::string unusable = defaults.open(); !unusable.empty()) warn("demo", unusable + "; showing the defaults");

  auto device = host::parseDevice(o.device);
  if (!device) return fail("demo", kBadUsage, device.error().message);
  host::HostConfig config;
  config.version = o.hostVersion;
  config.device = device.value();
  config.modulePath = std::getenv("SCORELENS_MODULE") ? std::getenv("SCORELENS_MODULE") : installLayout().modulePath;
  config.bundlePath = installLayout().hostBundlePath;
  config.catalogPath = o.hostCatalog.empty() ? installLayout().hostCatalogPath : o.hostCatalog;
  config.userDefaultsPath = defaults.path();
  auto booted = host::HostApplication::boot(config);
  if (!booted) return fail("demo", o.hostCatalog.empty() ? kBadUsage : kFileError, booted.error().message);
  host::HostApplication& app = *booted.value();
  storePreferences(o);
  if (o.networkStatus) app.setNetworkStatus(static_cast<host::NetworkStatus>(*o.networkStatus));
  TitleChoice choice;
  auto videoId = chooseVideo(app.catalog(), o, &choice);
  if (!videoId) return fail("demo", kBadUsage, choice.error);

  TransferLog transfers;
  Opening opening = openAndSettle(app, o, *videoId);
  if (o.reopen && opening.page.isOpen()) {
    opening.page.close();
    app.runUntil([&] { return !opening.page.isOpen(); }, std::chrono::seconds(2));
    transfers.clear();
    app.clearPresentedSheets();
    opening = openAndSettle(app, o, *videoId);
  }
  if (!opening.page.isOpen()) return fail("demo", kLookupFailed, "the page did not open");
  Ref<CXEnhancedRatingViewContainer> strip = stripOf(opening.page);
  app.layoutIfNeeded();
  UIView* window = app.rootNavigationController()->viewIfLoaded();
  uikit::auditLayout(window);
  nlohmann::json warnings = uikit::layoutWarnings();
  UICollectionViewCell* stripCell = strip ? cellHolding(strip.get()) : nullptr;
  const bool older = static_cast<bool>(opening.page.legacyPage());
  std::string error;
  if (o.picture.wanted()) {
    // The whole window as the user sees it: the navigation stack's view.
    UINavigationController* root = app.rootNavigationController();
    if (!writePicture(root ? root->view() : nullptr, o.picture, UIColor::blackColor(), &error))
      return fail("demo", kFileError, error);
  }

  nlohmann::json requests = nlohmann::json::array();
  for (const auto& r : transfers.records())
    requests.push_back({{"method", r.method}, {"url", r.url}, {"ms", std::lround(r.milliseconds)}, {"status", r.status}});
  nlohmann::json opened = nlohmann::json::array();
  for (const auto& url : app.openedURLs()) opened.push_back(utf8(url->absoluteString().get()));
  nlohmann::json stripObject = strip ? stripJson(strip.get()) : nlohmann::json(nullptr);
  warnOfFailedRequests(stripObject, transfers);
  const nlohmann::json elapsed = opening.elapsedMs < 0 ? nlohmann::json(nullptr) : nlohmann::json(std::lround(opening.elapsedMs));

  if (o.json) {
    nlohmann::json others = nlohmann::json::array();
    for (const host::CatalogTitle* t : choice.others)
      others.push_back({{"videoId", t->videoId}, {"title", t->title}, {"year", t->year}, {"isMovie", t->isMovie}});
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
        {"otherMatches", others},
        {"model", modelJson(modelOf(opening.page).get())},
        {"strip", stripObject},
        {"requests", requests},
        {"sheetShown", !app.presentedSheets().empty()},
        {"openedURLs", opened},
        {"layoutWarnings", warnings},
        {"settledOn", elapsed.is_null() ? nlohmann::json(nullptr) : nlohmann::json(settledOn(stripObject))},
        {"elapsedMs", elapsed}};
    notePicture(j, o.picture);
    std::cout << j.dump(2) << "\n";
    return kDone;
  }
  printText(app, o, env->describe(), *videoId, choice);
  printPicture(opening.page, strip.get(), std::cout);
  const bool cached = requests.empty() && settledOn(stripObject) == "scores";
  printFacts(opening.page, older, cached, std::cout);
  std::cout << "\nRequests:\n";
  if (requests.empty()) std::cout << (cached ? "  none: the scores came from the cache\n" : "  none\n");
  for (const auto& r : requests)
    std::cout << fmt::format("  {:>5} ms  {} {} -> {}\n", r["ms"].get<long>(), r["method"].get<std::string>(),
                             r["url"].get<std::string>(), r["status"].get<long>());
  if (opening.elapsedMs >= 0) std::cout << "\n" << settleLine(opening, stripObject, requests, o.reopen);
  if (opening.elapsedMs < 0)
    std::cout << "\nThe strip did not settle within 10 seconds.\n";
  else if (settledOn(stripObject) == "blank" && strip && !strip->ratingDataTask())
    std::cout << (older ? "The strip stays blank: the facts on this page are not enough for a lookup.\n"
                        : "The strip stays blank: no lookup was started.\n");
  std::cout << "\nLayout warnings:" << (warnings.empty() ? " none" : "") << "\n";
  for (const auto& w : warnings) std::cout << "  " << w.get<std::string>() << "\n";
  if (o.picture.wanted()) std::cout << fmt::format("\nPicture: {} (scale {})\n", o.picture.png, o.picture.scale);
  return kDone;
}

}  // namespace

void addDemoCommand(CLI::App& app, Runner& run) {
  auto o = std::make_shared<DemoOptions>();
  auto* cmd = app.add_subcommand("demo", "Open a title page in the simulated host with ScoreLens loaded");
  cmd->add_option("--host-version", o->hostVersion, "Host version (9.0.0 or later)")
      ->check(hostVersionCheck())
      ->capture_default_str();
  cmd->add_option("--device", o->device, "iphone or ipad")->check(CLI::IsMember({"iphone", "ipad"}, CLI::ignore_case))->capture_default_str();
  auto* title = cmd->add_option("--title", o->title, "Title to open, in any case (default: Heat); see --list")
                    ->check(nonEmpty());
  cmd->add_option("--video-id", o->videoId, "Video id to open")->excludes(title);
  cmd->add_option("--host-catalog", o->hostCatalog, "Host catalog (JSON)");
  cmd->add_flag("--list", o->list, "Print the host catalog's titles and exit");
  cmd->add_flag("--reopen", o->reopen, "Close the page and open it again (the cached path)");
  cmd->add_option("--network-status", o->networkStatus, "The host's network status (3: no lookup)");
  auto onOff = CLI::IsMember({"on", "off"});
  // For this run only: --defaults is read, never written.
  cmd->add_option("--critic-percentage", o->criticPercentage, "Show the critic percentage (this run only)")->check(onOff);
  cmd->add_option("--critic-meter", o->criticMeter, "Show the critic meter (this run only)")->check(onOff);
  cmd->add_option("--audience-percentage", o->audiencePercentage, "Show the audience percentage (this run only)")->check(onOff);
  cmd->add_option("--audience-meter", o->audienceMeter, "Show the audience meter (this run only)")->check(onOff);
  cmd->add_option("--defaults", o->defaultsFile,
                  "The preference file a device would keep, read and never changed (default: a scratch file)");
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
