// One lookup (the search, then the certified status of the film it found)
// through the stand-in services on loopback, against curl making the same
// requests to the same server. Both sides keep their connections between
// lookups: the module's session by design, curl within one invocation.

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>

#include <unistd.h>

#include "bench_support.h"
#include "cli/service_setup.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSURLSession.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "services/catalog.h"
#include "services/server.h"

namespace {

constexpr int kLookupsPerSample = 20;
constexpr const char* kTitle = "Heat";

// The services started and routed as the command line does, once per
// process; the tokens are fetched in each benchmark before its samples, so
// each lookup is what it is once they are held.
cli::ServiceEnvironment& services() {
  static std::unique_ptr<cli::ServiceEnvironment> environment = [] {
    cli::ServiceOptions options;
    options.ratingsCatalog = services::defaultCatalogPath();
    cli::StartFailure failure;
    auto started = cli::ServiceEnvironment::start(options, &failure);
    if (!started) {
      std::fprintf(stderr, "%s\n", failure.reason.c_str());
      std::abort();
    }
    return started;
  }();
  return *environment;
}

// Waits on the main run loop for a handler that runs on the session's queue.
template <class T>
class Awaited {
 public:
  void set(T value) {
    std::lock_guard g(lock_);
    value_ = std::move(value);
    dispatch::MainRunLoop::wakeUp();
  }
  T wait() {
    dispatch::MainRunLoop::runUntil(
        [&] {
          std::lock_guard g(lock_);
          return value_.has_value();
        },
        std::chrono::seconds(30));
    std::lock_guard g(lock_);
    if (!value_) std::abort();
    return *value_;
  }

 private:
  std::mutex lock_;
  std::optional<T> value_;
};

Ref<CXVideoDisplayPageModel> heat() {
  auto model = make<CXVideoDisplayPageModel>();
  model->setTitle(NSString::stringWithUTF8String(kTitle));
  model->setIsMovie(true);
  model->setReleaseYear(box(1995L));
  return model;
}

void lookupOnce(CXVideoDisplayPageModel* model) {
  Awaited<Ref<CXEnhancedRating>> rating;
  auto task = CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
      model, [&](CXEnhancedRating* r, bool) { rating.set(Ref<CXEnhancedRating>(r)); });
  task->resume();
  Ref<CXEnhancedRating> found = rating.wait();
  if (!found || !found->emsId()) std::abort();
  Awaited<bool> certified;
  auto check = CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(
      found->emsId(), [&](bool c, bool) { certified.set(c); });
  check->resume();
  certified.wait();
}

void Lookup_ThroughModule(benchmark::State& state) {
  services();
  Awaited<bool> tokens;
  CXEnhancedRatingsManager::homepageDataTaskWithCompletionHandler([&](bool failed) { tokens.set(failed); })->resume();
  if (tokens.wait()) state.SkipWithError("no tokens");
  Ref<CXVideoDisplayPageModel> model = heat();
  lookupOnce(model);  // connections open
  for (auto _ : state)
    for (int i = 0; i < kLookupsPerSample; ++i) lookupOnce(model);
  state.counters["lookups"] = kLookupsPerSample;
}
BENCHMARK(Lookup_ThroughModule)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A curl config that makes the requests of `lookups` lookups, each request
// as the module builds it, to the same server.
std::string curlConfig(int lookups) {
  const NSURLSessionTransportSettings transport = NSURLSessionConfiguration::defaultTransportSettings();
  std::string config;
  auto quoted = [](const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
    return out + "\"";
  };
  auto add = [&](NSURLRequest* request) {
    if (!config.empty()) config += "next\n";
    config += "url = " + quoted(utf8(request->URL()->absoluteString().get())) + "\n";
    config += "request = " + quoted(utf8(request->HTTPMethod().get())) + "\n";
    for (const auto& [name, value] : request->headerFields())
      config += "header = " + quoted(utf8(name.get()) + ": " + utf8(value.get())) + "\n";
    if (NSData* body = request->HTTPBody()) config += "data-binary = " + quoted(body->bytes()) + "\n";
    config += "compressed\nsilent\nshow-error\noutput = \"/dev/null\"\n";
    config += "cacert = " + quoted(transport.caFile) + "\n";
    for (const std::string& route : transport.connectTo) config += "connect-to = " + quoted(route) + "\n";
  };
  Ref<NSURLRequest> search = CXEnhancedRatingsManager::algoliaAPIRequestForTitle(NSString::stringWithUTF8String(kTitle));
  Ref<CXEnhancedRating> found;
  {
    Awaited<Ref<CXEnhancedRating>> rating;
    CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
        heat(), [&](CXEnhancedRating* r, bool) { rating.set(Ref<CXEnhancedRating>(r)); })
        ->resume();
    found = rating.wait();
  }
  Ref<NSURLRequest> certified = CXEnhancedRatingsManager::flixsterAPIRequestForEMSId(found->emsId());
  for (int i = 0; i < lookups; ++i) {
    add(search);
    add(certified);
  }
  return config;
}

void Lookup_Curl(benchmark::State& state) {
  services();
  Awaited<bool> tokens;
  CXEnhancedRatingsManager::homepageDataTaskWithCompletionHandler([&](bool failed) { tokens.set(failed); })->resume();
  if (tokens.wait()) state.SkipWithError("no tokens");
  // curl's start and first connections are taken out: a sample is a run of
  // 1 + kLookupsPerSample lookups less a run of one.
  auto command = [](int lookups) {
    const std::string path = fmt::format("/tmp/scorelens-bench-curl-{}-{}.conf", ::getpid(), lookups);
    std::ofstream(path) << curlConfig(lookups);
    return "curl --config " + path;
  };
  const std::string one = command(1), many = command(1 + kLookupsPerSample);
  auto timed = [&](const std::string& run) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(run.c_str()) != 0) state.SkipWithError("curl failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  for (auto _ : state) state.SetIterationTime(std::max(0.0, timed(many) - timed(one)));
  state.counters["lookups"] = kLookupsPerSample;
}
BENCHMARK(Lookup_Curl)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

const bool registered = bench::addComparison(
    {"one lookup, loopback", "Lookup_ThroughModule", "Lookup_Curl", bench::Comparison::Target::RatioAtMost, 1.15,
     "two round trips on kept connections; a miss means new connections, or a machine busy with other work", true,
     kLookupsPerSample});

}  // namespace
