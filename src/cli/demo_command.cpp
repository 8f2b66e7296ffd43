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
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/layout_engine.h"

namespace cli {
namespace {

using namespace demo;

// On the host's clock: the page's own delays and fades count as on a device,
// whether the clock skips them or real time passes.
double msSince(std::uint64_t start) { return static_cast<double>(dispatch::Clock::now() - start) / 1e6; }

struct Opening {
  host::TitlePage page;
  double elapsedMs = -1;  // page open to the strip settled (scores, a message, or blank for good)
  bool settledInTime = false;
};

Opening openAndSettle(host::HostApplication& app, const DemoOptions& o, long videoId) {
  Opening opening;
  const std::uint64_t start = dispatch::Clock::now();
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

// The host booted on the given defaults file; nullptr after the error line.
host::HostApplication* bootHost(const DemoOptions& o, const std::string& defaultsPath, int* status) {
  host::HostConfig config = hostConfig(o.hostVersion, host::parseDevice(o.device).value(), o.hostCatalog, defaultsPath);
  auto booted = host::HostApplication::boot(config);
  if (booted) return booted.value();
  // The version and the device were checked as options: what is left is a file (the catalog, the module).
  *status = fail("demo", kFileError, booted.error().message);
  return nullptr;
}

int runDemo(const DemoOptions& o) {
  // The page's delays and animations on the host's clock, which skips the
  // waits in which only they are left; the network's time stays real.
  if (!o.realTime) dispatch::Clock::setSkipping(true);
  if (o.sweep) return runSweep(o);
  const std::string catalogPath = o.hostCatalog.empty() ? installLayout().hostCatalogPath : o.hostCatalog;
  if (!o.hostCatalog.empty())
    if (std::string why = unreadableFile(o.hostCatalog); !why.empty()) return fail("demo", kFileError, why);
  if (o.list) {
    auto catalog = host::Catalog::load(catalogPath);
    if (!catalog) return fail("demo", kFileError, catalog.error().message);
    printCatalog(catalog.value(), std::cout);
    return kDone;
  }
  StartFailure failure;
  auto env = ServiceEnvironment::start(o.services, &failure);
  if (!env) return fail("demo", failure.status, failure.reason);
  // The host works on a scratch copy of --defaults: this run's form flags never reach the user's file.
  DefaultsFile defaults(o.defaultsFile, "demo", DefaultsFile::Use::ReadOnly);
  if (std::string unusable = defaults.open(); !unusable.empty()) warn("demo", unusable + "; showing the defaults");
  int status = kDone;
  host::HostApplication* app = bootHost(o, defaults.path(), &status);
  if (!app) return status;
  storePreferences(o);
  if (o.networkStatus) app->setNetworkStatus(static_cast<host::NetworkStatus>(*o.networkStatus));
  PageReport report;
  report.options = &o;
  report.app = app;
  auto videoId = chooseVideo(app->catalog(), o, &report.choice);
  if (!videoId) return fail("demo", kBadUsage, report.choice.error);
  report.videoId = *videoId;

  TransferLog transfers;
  Opening opening = openAndSettle(*app, o, *videoId);
  if (o.reopen && opening.page.isOpen()) {
    opening.page.close();
    app->runUntil([&] { return !opening.page.isOpen(); }, std::chrono::seconds(2));
    transfers.clear();
    app->clearPresentedSheets();
    opening = openAndSettle(*app, o, *videoId);
  }
  if (!opening.page.isOpen()) return fail("demo", kLookupFailed, "the page did not open");
  report.page = opening.page;
  report.elapsedMs = opening.elapsedMs;
  report.strip = stripOf(opening.page);
  report.older = static_cast<bool>(opening.page.legacyPage());
  app->layoutIfNeeded();
  UIView* window = app->rootNavigationController()->viewIfLoaded();
  uikit::auditLayout(window);
  report.warnings = uikit::layoutWarnings();
  report.screen = screenTexts(window);
  if (o.picture.wanted()) {
    // The whole window as the user sees it: the navigation stack's view.
    std::string error;
    UINavigationController* root = app->rootNavigationController();
    if (!writePicture(root ? root->view() : nullptr, o.picture, UIColor::blackColor(), &error))
      return fail("demo", kFileError, error);
  }
  report.requests = nlohmann::json::array();
  for (const auto& r : transfers.records())
    report.requests.push_back({{"method", r.method}, {"url", r.url}, {"ms", std::lround(r.milliseconds)}, {"status", r.status}});
  report.openedURLs = nlohmann::json::array();
  for (const auto& url : app->openedURLs()) report.openedURLs.push_back(utf8(url->absoluteString().get()));
  report.stripState = report.strip ? stripJson(report.strip.get()) : nlohmann::json(nullptr);
  report.services = env->describe();
  warnOfFailedRequests(report.stripState, transfers);
  if (o.json)
    printPageJson(report, std::cout);
  else
    printPageText(report, std::cout);
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
  cmd->add_flag("--real-time", o->realTime,
                "Run the page's delays and animations on the wall clock (default: the host's clock skips the "
                "waits in which nothing else happens)");
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
