// scorelens demo: the main job. Boots the simulated host at a version, loads
// the module, opens a title's page and shows what the page shows once the
// strip has settled, with the facts the module gathered and the requests it
// made.

#include <fmt/format.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
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
#include "platform/uikit/layout_engine.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

extern char** environ;

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
  bool sweep = false;
  std::string sweepSeries = "Breaking Bad";
  ServiceOptions services;
};

constexpr const char* kDefaultTitle = "Heat";

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The older page's summary cell on screen, or nil.
Ref<UICollectionViewCell> summaryCellOf(const host::TitlePage& page) {
  if (!page.legacyPage()) return nullptr;
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Summary) return cell.cell;
  return nullptr;
}

// The current page keeps its strip on its data source, the older page in its summary cell.
Ref<CXEnhancedRatingViewContainer> stripOf(const host::TitlePage& page) {
  StrongId owner = page.dataSource();
  if (!owner) owner = summaryCellOf(page);
  if (!owner || !class_respondsToSelector(object_getClass(owner.get()), sel_registerName("CXEnhancedRatingViewContainer")))
    return nullptr;
  return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(owner.get(), "CXEnhancedRatingViewContainer");
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

// Nothing will change any more: no queued work or timer, animation, spinner
// or lookup. (A film on the older page's cell route stays blank this way.)
bool idle(CXEnhancedRatingViewContainer* strip) {
  if (dispatch::MainRunLoop::pendingCount() > 0 || UIView::hasRunningAnimations()) return false;
  return !strip || (!strip->loadingIndicatorView()->isAnimating() && !running(strip->ratingDataTask()) &&
                    !running(strip->certifiedDataTask()));
}

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

// The older page shows title and facts in its summary cell, not in cells of their own.
std::string metadataLineOf(const host::TitlePage& page) {
  if (Ref<host::NFUIVideoDisplayPage> legacy = page.legacyPage())
    return legacy->content() ? legacy->content()->metadataLine : "";
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.kind == host::PageItemKind::Metadata && !cell.texts.empty()) return cell.texts.front();
  return "";
}

std::string titleOf(const host::TitlePage& page) {
  if (Ref<host::NFUIVideoDisplayPage> legacy = page.legacyPage())
    return legacy->content() ? legacy->content()->title.title : "";
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
      case host::PageItemKind::Summary:
        out << fmt::format("| {:<44} |\n", titleOf(page));
        if (strip && strip->superview())
          for (const std::string& line : stripLines(strip)) out << fmt::format("| {:<44} |\n", line);
        for (const std::string& text : cell.texts) {
          // The strip's own labels are printed with the strip.
          bool stripText = strip && (text == utf8(strip->firstRatingPercentageLabel()->text()) ||
                                     text == utf8(strip->secondRatingPercentageLabel()->text()) ||
                                     text == utf8(strip->messageLabel()->text()));
          if (text != titleOf(page) && !stripText) out << fmt::format("| {:<44.44} |\n", text);
        }
        break;
      default:
        break;
    }
  }
  out << "+" << std::string(46, '-') << "+\n";
}

// view's frame in the window's points.
nlohmann::json windowFrame(UIView* view) {
  CGRect f = view->frame();
  for (Ref<UIView> up = view->superview(); up; up = up->superview()) {
    f.origin.x += up->frame().origin.x - up->bounds().origin.x;
    f.origin.y += up->frame().origin.y - up->bounds().origin.y;
  }
  return nlohmann::json::array({f.origin.x, f.origin.y, f.size.width, f.size.height});
}

// The collection view cell that holds view, or nil.
UICollectionViewCell* cellHolding(UIView* view) {
  for (UIView* v = view; v; v = v->superview().get())
    if (auto* cell = objc_cast<UICollectionViewCell>(v)) return cell;
  return nullptr;
}

// What the strip shows, in a few words: "tomato 87%, popcorn 55%", the message, "blank".
std::string stripSummary(const nlohmann::json& strip) {
  if (strip.is_null()) return "no strip";
  std::string out;
  for (const auto& row : strip["rows"]) {
    if (row["icon"].is_null()) continue;
    out += (out.empty() ? "" : ", ") + row["icon"].get<std::string>();
    if (row["textVisible"].get<bool>() && !row["text"].is_null()) out += " " + row["text"].get<std::string>();
  }
  if (strip["message"]["visible"].get<bool>() && !strip["message"]["text"].is_null())
    out += (out.empty() ? "" : "; ") + strip["message"]["text"].get<std::string>();
  if (out.empty()) out = strip["spinning"].get<bool>() ? "loading" : "blank";
  return out;
}

int runSweep(const DemoOptions& o);

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
        {"layoutWarnings", warnings},
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

// --- the sweep ------------------------------------------------------------------------------

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
  int failures = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    const std::vector<std::string>& args = runs[i];
    nlohmann::json page = outputs[i] ? nlohmann::json::parse(*outputs[i], nullptr, false) : nlohmann::json();
    if (page.is_discarded() || !page.is_object()) {
      ++failures;
      std::cerr << fmt::format("scorelens demo: the page at host {} on {} ({}) failed\n", args[4], args[6], args[8]);
      continue;
    }
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
  if (o.json) std::cout << all.dump(2) << "\n";
  if (!o.json && o.picture.wanted())
    std::cout << fmt::format("\nPictures: {} in {} (scale {})\n", runs.size() - static_cast<size_t>(failures), o.picture.png, o.picture.scale);
  return failures ? 3 : 0;
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
