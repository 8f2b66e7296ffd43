// scorelens demo: the main job. Boots the simulated host at a version, loads
// the module, opens a title's page and shows what the page shows once the
// strip has settled, with the facts the module gathered and the requests it
// made.

#include <fmt/format.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/defaults_file.h"
#include "cli/install_layout.h"
#include "cli/picture_output.h"
#include "cli/report.h"
#include "cli/service_setup.h"
#include "cli/strip_report.h"
#include "host/HostApplication.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/text/compare.h"
#include "platform/foundation/text/encoding.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIView.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

struct DemoOptions {
  std::string hostVersion = "16.51.0";
  std::string device = "iphone";
  std::string title;
  std::optional<long> videoId;
  std::string hostCatalog;
  bool reopen = false;
  std::optional<long> networkStatus;
  // Written to the defaults only when given: otherwise the stored (or default) choice stands.
  std::optional<std::string> criticPercentage, criticMeter, audiencePercentage, audienceMeter;
  std::string defaultsFile;
  bool json = false;
  PictureOptions picture;
  ServiceOptions services;
};

constexpr const char* kDefaultTitle = "Heat";

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Ref<CXEnhancedRatingViewContainer> stripOf(const host::TitlePage& page) {
  auto source = page.dataSource();
  if (!source) return nullptr;
  return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(source.get(), "CXEnhancedRatingViewContainer");
}

Ref<CXVideoDisplayPageModel> modelOf(const host::TitlePage& page) {
  auto source = page.dataSource();
  if (!source) return nullptr;
  return objc_msgSend<Ref<CXVideoDisplayPageModel>>(source.get(), "CXVideoDisplayPageModel");
}

nlohmann::json names(NSArray* list) {
  if (!list) return nullptr;
  nlohmann::json out = nlohmann::json::array();
  for (const StrongId& n : *list) out.push_back(utf8(objc_cast<NSString>(n.get())));
  return out;
}

nlohmann::json modelJson(CXVideoDisplayPageModel* m) {
  if (!m) return nullptr;
  auto number = [](NSNumber* n) { return n ? nlohmann::json(n->integerValue()) : nlohmann::json(nullptr); };
  auto text = [](NSString* s) { return s ? nlohmann::json(utf8(s)) : nlohmann::json(nullptr); };
  return {{"title", text(m->title().get())},
          {"titleNoParens", text(m->titleNoParens().get())},
          {"releaseYear", number(m->releaseYear().get())},
          {"runtime", number(m->runtime().get())},
          {"numSeasons", m->numSeasons()},
          {"isMovie", m->isMovie()},
          {"actors", names(m->actors().get())},
          {"writers", names(m->writers().get())},
          {"directors", names(m->directors().get())},
          {"creators", names(m->creators().get())}};
}

// The metadata line as the page shows it, pictures drawn as [*].
std::string printable(const std::string& line) {
  std::string out;
  for (char16_t c : text::fromUtf8(line).value_or(u""))
    out += c == u'\uFFFC' ? std::string("[*]") : text::toUtf8(std::u16string(1, c));
  return out;
}

bool running(const Ref<NSURLSessionDataTask>& task) {
  return task && task->state() != NSURLSessionTaskStateCompleted;
}

// Settled: scores or a message shown, no animation or lookup running.
bool settled(CXEnhancedRatingViewContainer* strip) {
  if (!strip || UIView::hasRunningAnimations() || running(strip->certifiedDataTask())) return false;
  nlohmann::json state = stripJson(strip);
  bool rating = !state["rows"].empty() && !state["rows"][0]["icon"].is_null() &&
                strip->firstRatingImageView()->alpha() > 0.99;
  return !state["spinning"].get<bool>() && (rating || state["message"]["visible"].get<bool>());
}

// The strip's bottom edge is at or above the play button's top, in the cell.
bool stripIsAbovePlayButton(CXEnhancedRatingViewContainer* strip) {
  UIView* content = strip->superview();
  if (!content) return false;
  Ref<NSArray> siblings = content->subviews();
  for (const StrongId& sub : *siblings) {
    auto* view = objc_cast<UIView>(sub.get());
    if (!view || view == strip || !std::string_view(view->className()).ends_with("ButtonView")) continue;
    return strip->frame().origin.y + strip->frame().size.height <= view->frame().origin.y + 0.5;
  }
  return false;
}

std::vector<std::string> stripLines(CXEnhancedRatingViewContainer* strip) {
  std::vector<std::string> lines;
  std::string text = stripText(strip), line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
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
  opening.settledInTime = app.runUntil([&] { return settled(stripOf(opening.page).get()); }, std::chrono::seconds(10));
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

std::string metadataLineOf(const host::TitlePage& page) {
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Metadata && !cell.texts.empty()) return cell.texts.front();
  return "";
}

std::string titleOf(const host::TitlePage& page) {
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Title && !cell.texts.empty()) return cell.texts.back();
  return "";
}

void printPicture(const host::TitlePage& page, CXEnhancedRatingViewContainer* strip, std::ostream& out) {
  out << "+" << std::string(46, '-') << "+\n";
  for (const host::PageCell& cell : page.visibleCells()) {
    switch (cell.kind) {
      case host::PageItemKind::Title:
        out << fmt::format("| {:<44} |\n", titleOf(page));
        break;
      case host::PageItemKind::Metadata:
        out << fmt::format("| {:<44} |\n", printable(metadataLineOf(page)));
        break;
      case host::PageItemKind::PlayButton:
        if (strip && strip->superview())
          for (const std::string& line : stripLines(strip)) out << fmt::format("| {:<44} |\n", line);
        out << fmt::format("| {:<44} |\n", "[ > Play ]");
        break;
      default:
        break;
    }
  }
  out << "+" << std::string(46, '-') << "+\n";
}

int runDemo(const DemoOptions& o) {
  if (text::compare(u"16.1", text::fromUtf8(o.hostVersion).value_or(u"0"), text::CompareNumeric) ==
      text::Ordering::Descending) {
    std::cerr << fmt::format(
        "scorelens demo: host {} has the older title page, which the simulated host does not serve yet; "
        "use --host-version 16.1 or later\n",
        o.hostVersion);
    return 2;
  }
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
    }
    nlohmann::json j = {
        {"host", {{"version", o.hostVersion}, {"device", host::deviceName(app.device())}}},
        {"page", {{"videoId", *videoId}, {"title", titleOf(opening.page)}, {"metadataLine", metadataLineOf(opening.page)}}},
        {"model", modelJson(modelOf(opening.page).get())},
        {"strip", stripObject},
        {"requests", requests},
        {"sheetShown", !app.presentedSheets().empty()},
        {"openedURLs", opened},
        {"elapsedMs", opening.elapsedMs < 0 ? nlohmann::json(nullptr) : nlohmann::json(std::lround(opening.elapsedMs))}};
    notePicture(j, o.picture);
    std::cout << j.dump(2) << "\n";
  } else {
    std::cout << fmt::format("Host {} on an {}, ScoreLens loaded; {}\n\n", o.hostVersion, host::deviceName(app.device()),
                             env->describe());
    printPicture(opening.page, strip.get(), std::cout);
    std::cout << "\nFacts gathered from the page:\n";
    if (auto m = modelOf(opening.page)) {
      auto j = modelJson(m.get());
      for (const char* key : {"title", "releaseYear", "runtime", "numSeasons", "isMovie", "actors", "directors", "writers", "creators"})
        if (!j[key].is_null()) std::cout << fmt::format("  {:<12} {}\n", key, j[key].dump());
    }
    std::cout << "\nRequests:\n";
    if (requests.empty()) std::cout << "  none (the rating came from the cache)\n";
    for (const auto& r : requests)
      std::cout << fmt::format("  {:>5} ms  {} {} -> {}\n", r["ms"].get<long>(), r["method"].get<std::string>(),
                               r["url"].get<std::string>(), r["status"].get<long>());
    if (opening.elapsedMs >= 0)
      std::cout << fmt::format("\nPage open to scores shown: {:.0f} ms{}\n", opening.elapsedMs, o.reopen ? " (reopened)" : "");
    else
      std::cout << "\nThe strip did not settle within 10 seconds.\n";
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
  cmd->add_flag("--json", o->json, "Print one JSON object");
  addPictureOptions(cmd, o->picture);
  addServiceOptions(cmd, o->services, true);
  cmd->callback([&run, o] { run = [o] { return runDemo(*o); }; });
}

}  // namespace cli
