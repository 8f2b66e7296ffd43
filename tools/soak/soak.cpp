// scorelens_soak: opens and closes title pages in the simulated host, one
// host version per child process (a process boots one app), flipping the
// preferences between pages, while about a tenth of the lookups meet a
// hostile service. Prints what it saw: pages served, scores and messages
// shown, handler calls per lookup, resident memory at the start and the end.

#include <dlfcn.h>
#include <fmt/format.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "host/HostApplication.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIView.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"
#include "services/hostile.h"
#include "services/server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// --- counting the rating handler's calls --------------------------------------------------
// The strip asks the manager for each lookup through the dynamic linker; the
// definition below takes that call, wraps the handler to count its calls and
// hands on to the module's own.

struct HandlerCounts {
  std::mutex mutex;
  std::vector<int> calls;  // per lookup, in the order they were asked for
};
HandlerCounts& counts() {
  static HandlerCounts instance;
  return instance;
}

using LookupEntry = Ref<NSURLSessionDataTask> (*)(CXVideoDisplayPageModel*, CXRatingHandler);
constexpr const char* kLookupEntrySymbol =
    "_ZN24CXEnhancedRatingsManager56ratingDataTaskForVideoDisplayPageModel_completionHandlerEP23"
    "CXVideoDisplayPageModelSt8functionIFvP16CXEnhancedRatingbEE";

std::size_t lookupsAsked() {
  std::lock_guard lock(counts().mutex);
  return counts().calls.size();
}

LookupEntry moduleLookupEntry() {
  static LookupEntry entry = reinterpret_cast<LookupEntry>(dlsym(RTLD_NEXT, kLookupEntrySymbol));
  return entry;
}

}  // namespace

Ref<NSURLSessionDataTask> CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
    CXVideoDisplayPageModel* model, CXRatingHandler handler) {
  std::size_t index;
  {
    std::lock_guard lock(counts().mutex);
    index = counts().calls.size();
    counts().calls.push_back(0);
  }
  return moduleLookupEntry()(model, [index, handler = std::move(handler)](CXEnhancedRating* rating, bool failed) {
    {
      std::lock_guard lock(counts().mutex);
      ++counts().calls[index];
    }
    handler(rating, failed);
  });
}

namespace {

long residentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

struct Options {
  long pages = 10000;
  std::vector<std::string> versions = {"9.10.0", "9.30.0", "11.0.0", "13.14.0", "14.28.0",
                                       "16.1",   "16.20",  "16.30",  "16.40",   "16.51.0"};
  double failureShare = 0.1;
  double timeout = 1;  // seconds: caps each request, so a hostile one ends soon
  unsigned seed = 1;
  std::string version;  // set: run this version's share in this process
};

enum class Shown { Scores, Message, Blank, Off, Nothing };

// What a strip still waits for before it can show anything.
enum class Waiting { NoStrip, Spinner, Animation, CertifiedRequest, Nothing };

Waiting waitingOf(CXEnhancedRatingViewContainer* strip) {
  if (!strip) return Waiting::NoStrip;
  if (strip->loadingIndicatorView()->isAnimating()) return Waiting::Spinner;
  if (UIView::hasRunningAnimations()) return Waiting::Animation;
  if (auto task = strip->certifiedDataTask(); task && task->state() != NSURLSessionTaskStateCompleted)
    return Waiting::CertifiedRequest;
  return Waiting::Nothing;
}

// Why a strip has not settled, for the figures.
std::string nameOf(Waiting waiting) {
  switch (waiting) {
    case Waiting::NoStrip: return "no strip";
    case Waiting::Spinner: return "spinner";
    case Waiting::Animation: return "animating";
    case Waiting::CertifiedRequest: return "certified pending";
    case Waiting::Nothing: break;
  }
  return "nothing shown";
}

Shown shownBy(CXEnhancedRatingViewContainer* strip) {
  if (waitingOf(strip) != Waiting::Nothing) return Shown::Nothing;
  if (strip->firstRatingImageView()->alpha() > 0.99 && strip->firstRatingImageView()->image()) return Shown::Scores;
  const NSString* text = strip->messageLabel()->text();
  if (text && text->length() > 0 && strip->messageLabel()->alpha() > 0.99) return Shown::Message;
  return Shown::Nothing;
}

// The current page keeps its strip on the data source; the older one in the
// summary cell on screen.
Ref<CXEnhancedRatingViewContainer> stripOf(const host::TitlePage& page) {
  static const SEL kStrip = sel_registerName("CXEnhancedRatingViewContainer");
  if (auto source = page.dataSource())
    return objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(source.get(), "CXEnhancedRatingViewContainer");
  for (const host::PageCell& cell : page.visibleCells())
    if (cell.cell && class_respondsToSelector(object_getClass(cell.cell.get()), kStrip))
      if (auto strip = objc_msgSend<Ref<CXEnhancedRatingViewContainer>>(cell.cell.get(), "CXEnhancedRatingViewContainer"))
        return strip;
  return nullptr;
}

// One version's share of the run, in this process.
int runVersion(const Options& o) {
  auto catalog = services::Catalog::load(services::defaultCatalogPath());
  if (!catalog) {
    std::cerr << "soak: " << catalog.error().message << "\n";
    return 1;
  }
  const auto scratch = std::filesystem::temp_directory_path() / fmt::format("scorelens-soak-{}", ::getpid());
  std::filesystem::create_directories(scratch);
  struct RemovedOnReturn {
    std::filesystem::path folder;
    ~RemovedOnReturn() {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
  } scratchGuard{scratch};
  // The certificates go in the scratch folder, which goes at the end: the
  // process leaves without destroying the server.
  services::ServerOptions serverOptions;
  serverOptions.certificateDirectory = scratch;
  services::ServicesServer server(std::move(catalog).value(), serverOptions);
  if (auto started = server.start(); !started) {
    std::cerr << "soak: " << started.error().message << "\n";
    return 1;
  }
  NSURLSessionTransportSettings transport;
  transport.caFile = server.caFile().string();
  for (const std::string& host : server.hostNames())
    transport.connectTo.push_back(fmt::format("{}:443:127.0.0.1:{}", host, server.port()));
  transport.requestTimeoutLimit = o.timeout;
  NSURLSessionConfiguration::setDefaultTransportSettings(transport);

  std::map<std::string, long> transferErrors;
  std::atomic<long> transfers{0};
  std::mutex transferMutex;
  NSURLSession::setTransferObserver([&](const NSURLSessionTransferRecord& record) {
    ++transfers;
    if (record.errorCode == 0) return;
    std::lock_guard lock(transferMutex);
    ++transferErrors[std::to_string(record.errorCode)];
  });

  const std::string defaults = (scratch / "defaults.json").string();
  NSUserDefaults::setStandardUserDefaultsPath(defaults);
  host::HostConfig config;
  config.version = o.version;
  config.modulePath = SCORELENS_MODULE_PATH;
  config.userDefaultsPath = defaults;
  auto booted = host::HostApplication::boot(config);
  if (!booted) {
    std::cerr << "soak: " << booted.error().message << "\n";
    return 1;
  }
  if (!moduleLookupEntry()) {
    std::cerr << "soak: the module's lookup entry was not found (" << kLookupEntrySymbol << ")\n";
    return 1;
  }
  host::HostApplication& app = *booted.value();
  // Animations and delayed calls run on a clock the loop moves by hand; the
  // network keeps real time.
  dispatch::ScopedManualClock manualClock;

  std::mt19937 random(o.seed);
  std::uniform_real_distribution<double> share(0, 1);
  const auto& titles = app.catalog().titles();
  const std::vector<services::Endpoint> endpoints = {services::Endpoint::HomePage, services::Endpoint::Search,
                                                     services::Endpoint::Certified};
  const char* kPreferences[] = {"CXCriticRatingPercentageEnabled", "CXCriticRatingMeterEnabled",
                                "CXAudienceRatingPercentageEnabled", "CXAudienceRatingMeterEnabled"};

  long served = 0, scores = 0, messages = 0, blanks = 0, switchedOff = 0, unsettled = 0, injected = 0;
  std::vector<long> unsettledIds, blankIds;  // the first few, to look into
  long stripsAlive = 0, pagesAlive = 0;  // after their page was closed
  std::map<std::string, long> injectedByName, unsettledBy, blankBy;
  const long rssStart = residentKilobytes();
  const auto started = Clock::now();
  std::vector<long> rssSamples;  // at each tenth of the run
  for (long i = 0; i < o.pages; ++i) {
    if (i > 0 && i % std::max(1L, o.pages / 10) == 0) rssSamples.push_back(residentKilobytes());
    bool anyOn = false;
    std::string switches;  // "1011": the four preferences in order, for the figures
    for (const char* key : kPreferences) {
      const bool on = random() % 4 != 0;
      anyOn = anyOn || on;
      switches += on ? '1' : '0';
      NSUserDefaults::standardUserDefaults()->setBool_forKey(on, NSString::stringWithUTF8String(key));
    }
    // Each endpoint's next answer is hostile with the chosen share, so about
    // that share of the requests fail (a page asks each endpoint at most once).
    std::string pageHostile;  // what this page's services do wrong, for the figures
    for (auto endpoint : endpoints) {
      if (share(random) >= o.failureShare) {
        server.setMisbehaviour(endpoint, {});
        continue;
      }
      auto hostile = services::allHostile()[random() % services::allHostile().size()];
      auto reply = services::hostileReply(hostile, endpoint, std::chrono::milliseconds(long(o.timeout * 1000) + 500));
      reply.remaining = 1;
      server.setMisbehaviour(endpoint, reply);
      ++injected;
      ++injectedByName[std::string(services::hostileName(hostile))];
      pageHostile += fmt::format(" {}@{}", services::hostileName(hostile), services::endpointName(endpoint));
    }
    // What the stand-ins record for tests (requests served, sheets shown) is
    // not the module's memory.
    server.log().clear();
    app.clearPresentedSheets();
    if (i % 50 == 0) CXEnhancedRatingsManager::sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(nullptr, nullptr);

    const long videoId = titles[random() % titles.size()].videoId;
    auto page = app.openPage(videoId);
    if (!page) {
      std::cerr << "soak: " << page.error().message << "\n";
      return 1;
    }
    ++served;
    Shown shown = Shown::Nothing;
    const std::size_t lookupsBefore = lookupsAsked();
    const auto deadline = Clock::now() + std::chrono::duration<double>(o.timeout * 3 + 2);
    for (int turn = 0; Clock::now() < deadline; ++turn) {
      dispatch::Clock::advance(250ms);
      app.runUntil([&] { return (shown = shownBy(stripOf(page.value()).get())) != Shown::Nothing; }, 5ms);
      if (shown != Shown::Nothing) break;
      // Some pages show too few facts for a lookup: once the page has had a
      // few turns to show its data, a strip with no lookup of its own, no
      // spinner and no certified request in flight stays blank for good.
      auto strip = stripOf(page.value());
      if (turn >= 8 && lookupsAsked() == lookupsBefore && waitingOf(strip.get()) == Waiting::Nothing) {
        shown = Shown::Blank;
        break;
      }
      // With every score switched off the page gets no strip at all.
      if (turn >= 8 && !strip && !anyOn) {
        shown = Shown::Off;
        break;
      }
    }
    scores += shown == Shown::Scores;
    messages += shown == Shown::Message;
    if (shown == Shown::Blank) {
      ++blankBy[switches];
      if (++blanks <= 10) blankIds.push_back(videoId);
    }
    switchedOff += shown == Shown::Off;
    if (shown == Shown::Nothing) {
      ++unsettledBy[nameOf(waitingOf(stripOf(page.value()).get())) + pageHostile];
      if (++unsettled <= 10) unsettledIds.push_back(videoId);
    }
    Weak<NSObject> strip(stripOf(page.value()).get());
    Weak<NSObject> controller(page.value().viewController().get());
    page.value().close();
    for (int n = 0; n < 20 && page.value().isOpen(); ++n) {
      dispatch::Clock::advance(100ms);
      app.runUntil([&] { return !page.value().isOpen(); }, 5ms);
    }
    // A closed page, and the strip with it, must be gone once its lookup has
    // ended, which a hostile service may put off until the time-out.
    const auto gone = Clock::now() + std::chrono::duration<double>(o.timeout * 3 + 2);
    while (Clock::now() < gone && (strip.lock() || controller.lock())) {
      dispatch::Clock::advance(250ms);
      app.runUntil([&] { return !strip.lock() && !controller.lock(); }, 5ms);
    }
    stripsAlive += strip.lock() != nullptr;
    pagesAlive += controller.lock() != nullptr;
  }
  // Every lookup's handler has run by the time its requests have ended.
  const auto drainUntil = Clock::now() + std::chrono::duration<double>(o.timeout * 3 + 2);
  auto allCalled = [] {
    std::lock_guard lock(counts().mutex);
    return std::all_of(counts().calls.begin(), counts().calls.end(), [](int n) { return n > 0; });
  };
  while (!allCalled() && Clock::now() < drainUntil) {
    dispatch::Clock::advance(100ms);
    app.runUntil(allCalled, 10ms);
  }
  const long rssEnd = residentKilobytes();

  nlohmann::json callsPerLookup = nlohmann::json::object();
  long lookups = 0;
  {
    std::lock_guard lock(counts().mutex);
    lookups = static_cast<long>(counts().calls.size());
    std::map<int, long> histogram;
    for (int n : counts().calls) ++histogram[n];
    for (auto [n, how] : histogram) callsPerLookup[std::to_string(n)] = how;
  }
  nlohmann::json errors(transferErrors);
  nlohmann::json out = {{"version", o.version},
                        {"pages", served},
                        {"scoresShown", scores},
                        {"messagesShown", messages},
                        {"blankStrips", blanks},
                        {"blankVideoIds", blankIds},
                        {"blankBySwitches", blankBy},
                        {"allScoresOff", switchedOff},
                        {"unsettled", unsettled},
                        {"unsettledVideoIds", unsettledIds},
                        {"unsettledBy", unsettledBy},
                        {"closedPagesStillAlive", pagesAlive},
                        {"closedStripsStillAlive", stripsAlive},
                        {"lookups", lookups},
                        {"handlerCallsPerLookup", callsPerLookup},
                        {"transfers", transfers.load()},
                        {"transferErrors", errors},
                        {"hostileInjected", injected},
                        {"hostileByName", injectedByName},
                        {"rssStartKB", rssStart},
                        {"rssEndKB", rssEnd},
                        {"rssEachTenthKB", rssSamples},
                        {"seconds", std::chrono::duration<double>(Clock::now() - started).count()}};
  std::cout << out.dump() << std::endl;
  NSURLSession::setTransferObserver(nullptr);
  std::filesystem::remove_all(scratch);
  // The app and the module live until the process ends; leave without tearing down.
  std::fflush(nullptr);
  std::_Exit(0);
}

// Runs each version in a child process and adds up what they print.
int runAll(const Options& o, const char* self) {
  nlohmann::json total = {{"pages", 0},     {"scoresShown", 0}, {"messagesShown", 0}, {"blankStrips", 0},
                          {"allScoresOff", 0}, {"unsettled", 0},   {"lookups", 0},
                          {"transfers", 0}, {"hostileInjected", 0}};
  nlohmann::json perVersion = nlohmann::json::array();
  nlohmann::json calls = nlohmann::json::object();
  const long share = o.pages / static_cast<long>(o.versions.size());
  int status = 0;
  for (std::size_t v = 0; v < o.versions.size(); ++v) {
    const long pages = share + (v + 1 == o.versions.size() ? o.pages % static_cast<long>(o.versions.size()) : 0);
    std::string command = fmt::format("'{}' --version '{}' --pages {} --failure-share {} --timeout {} --seed {}", self,
                                      o.versions[v], pages, o.failureShare, o.timeout, o.seed + v);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 1;
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
    const int raw = pclose(pipe);
    if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0 || output.empty()) {
      std::cerr << fmt::format("soak: version {} ended badly (status {})\n", o.versions[v], raw);
      status = 1;
      continue;
    }
    // The child's figures are its last line.
    while (!output.empty() && output.back() == '\n') output.pop_back();
    auto j = nlohmann::json::parse(output.substr(output.find_last_of('\n') + 1), nullptr, false);
    if (!j.is_object()) {
      std::cerr << fmt::format("soak: version {} printed no figures\n", o.versions[v]);
      status = 1;
      continue;
    }
    perVersion.push_back(j);
    std::cerr << fmt::format("soak: {}: {} pages, {} scores, {} messages, {} blank, {} unsettled, RSS {} -> {} kB, {:.0f} s\n",
                             o.versions[v], j["pages"].get<long>(), j["scoresShown"].get<long>(),
                             j["messagesShown"].get<long>(), j["blankStrips"].get<long>(), j["unsettled"].get<long>(),
                             j["rssStartKB"].get<long>(),
                             j["rssEndKB"].get<long>(), j["seconds"].get<double>());
    for (const char* key :
         {"pages", "scoresShown", "messagesShown", "blankStrips", "allScoresOff", "unsettled", "lookups", "transfers",
          "hostileInjected"})
      total[key] = total[key].get<long>() + j[key].get<long>();
    for (auto& [k, value] : j["handlerCallsPerLookup"].items())
      calls[k] = calls.value(k, 0L) + value.get<long>();
  }
  total["handlerCallsPerLookup"] = calls;
  std::cout << nlohmann::json({{"total", total}, {"versions", perVersion}}).dump(2) << "\n";
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app("Long run of ScoreLens in the simulated host against misbehaving services");
  app.add_option("--pages", o.pages, "Title pages to open and close, shared among the versions")->capture_default_str();
  app.add_option("--versions", o.versions, "Host versions")->delimiter(',');
  app.add_option("--failure-share", o.failureShare, "Share of pages whose lookup meets a hostile service")
      ->capture_default_str();
  app.add_option("--timeout", o.timeout, "Cap on each request, in seconds")->capture_default_str();
  app.add_option("--seed", o.seed, "Random seed")->capture_default_str();
  app.add_option("--version", o.version, "Run one version in this process (what the children do)");
  CLI11_PARSE(app, argc, argv);
  return o.version.empty() ? runAll(o, argv[0]) : runVersion(o);
}
