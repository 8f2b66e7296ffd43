// Whole lookups through the real URL session against the loopback stand-ins
// of the three services, reached under their production host names.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "lookup_fixture.h"
#include "platform/dispatch/dispatch.h"
#include "scorelens/loader/fresh_process.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "services/hostile.h"
#include "services/server.h"

using namespace lookup_test;
using namespace std::chrono_literals;
using services::Endpoint;
using services::Fault;
using services::Misbehaviour;

namespace {
constexpr auto kPatience = 20s;  // never reached by a passing test

// One server for the process. The manager is a process-wide singleton whose
// session reads the transport settings when it is made, so the routing is set
// here, before any test can create it.
class LoopbackServices : public ::testing::Environment {
 public:
  static services::ServicesServer* server() { return server_.get(); }

  void SetUp() override {
    auto catalog = services::Catalog::load(services::defaultCatalogPath());
    if (!catalog) {
      std::fprintf(stderr, "stand-in catalog: %s\n", catalog.error().message.c_str());
      std::abort();
    }
    server_ = std::make_unique<services::ServicesServer>(std::move(catalog).value());
    services::Status started = server_->start();
    if (!started) {
      std::fprintf(stderr, "stand-in services: %s\n", started.error().message.c_str());
      std::abort();
    }
    std::vector<std::string> routes;
    for (const std::string& host : server_->hostNames())
      routes.push_back(host + ":443:127.0.0.1:" + std::to_string(server_->port()));
    NSURLSessionConfiguration::setDefaultTransportSettings({server_->caFile().string(), routes});
    fresh_process::removeAtQuickExit(server_->caFile().parent_path());
  }
  void TearDown() override { server_->stop(); }

 private:
  static inline std::unique_ptr<services::ServicesServer> server_;
};
[[maybe_unused]] ::testing::Environment* const kServices = ::testing::AddGlobalTestEnvironment(new LoopbackServices);

// Records every call of a rating handler.
struct RatingProbe {
  std::mutex mutex;
  std::condition_variable called;
  int calls = 0;
  Ref<CXEnhancedRating> rating;
  bool failed = false;
  bool onMainThread = false;

  static CXRatingHandler handlerFor(const std::shared_ptr<RatingProbe>& probe) {
    return [probe](CXEnhancedRating* rating, bool failed) {
      std::lock_guard lock(probe->mutex);
      ++probe->calls;
      probe->rating = rating;
      probe->failed = failed;
      probe->onMainThread = dispatch::isMainThread();
      probe->called.notify_all();
    };
  }
  bool waitForCall() {
    std::unique_lock lock(mutex);
    return called.wait_for(lock, kPatience, [&] { return calls > 0; });
  }
  int callCount() {
    std::lock_guard lock(mutex);
    return calls;
  }
};

Misbehaviour once(Fault fault, int status = 0, std::chrono::milliseconds delay = 0ms) {
  Misbehaviour misbehaviour;
  misbehaviour.fault = fault;
  misbehaviour.status = status;
  misbehaviour.delay = delay;
  misbehaviour.remaining = 1;
  return misbehaviour;
}

// Runs everything already queued on the session's callback queue, so a second
// call of a handler would have happened by the time this returns.
void drainCallbacks() {
  dispatch_sync(CXEnhancedRatingsManager::sharedInstance()->enhancedRatingSession()->callbackQueue(), [] {});
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    server = LoopbackServices::server();
    server->clearMisbehaviours();
    server->log().clear();
  }
  void TearDown() override { server->clearMisbehaviours(); }

  static void clearTokens() { CXEnhancedRatingsManager::sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(nullptr, nullptr); }
  void holdServerTokens() {
    CXEnhancedRatingsManager::sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(
        ns(server->options().applicationId), ns(server->options().apiKey));
  }

  // Heat (1995): three films share the title; the year picks the right one.
  static Ref<CXVideoDisplayPageModel> heat() { return film("Heat (1995)", 1995, 10200); }

  // Starts one lookup and waits for its outcome, which must come exactly once
  // and never on the main thread.
  std::shared_ptr<RatingProbe> lookUp(CXVideoDisplayPageModel* model) {
    auto probe = std::make_shared<RatingProbe>();
    Ref<NSURLSessionDataTask> task = CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
        model, RatingProbe::handlerFor(probe));
    if (!task) {
      ADD_FAILURE() << "no lookup task";
      return probe;
    }
    task->resume();
    EXPECT_TRUE(probe->waitForCall()) << "the lookup never reported";
    drainCallbacks();
    EXPECT_EQ(probe->callCount(), 1) << "the rating handler must be called exactly once";
    EXPECT_FALSE(probe->onMainThread) << "handlers run on the session's queue";
    return probe;
  }

  services::ServicesServer* server = nullptr;
};
}  // namespace

TEST_F(EndToEnd, TokensAreFetchedOnceAndThenReused) {
  clearTokens();
  auto first = lookUp(heat());
  ASSERT_NE(first->rating, nullptr) << "failed: " << first->failed;
  EXPECT_FALSE(first->failed);
  EXPECT_EQ(utf8(first->rating->emsId()), "heat") << "the 1995 film, chosen by its year";
  EXPECT_TRUE(first->rating->isCertified() && first->rating->isValidated());
  EXPECT_EQ(utf8(first->rating->url()->absoluteString()), "https://www.rottentomatoes.com/m/heat");
  EXPECT_EQ(server->log().count(Endpoint::HomePage), 1u);
  EXPECT_EQ(server->log().count(Endpoint::Search), 1u);
  EXPECT_TRUE(CXEnhancedRatingsManager::hasValidSessionTokens());
  EXPECT_EQ(utf8(CXEnhancedRatingsManager::sharedInstance()->aIdAlgoliaToken()), server->options().applicationId);

  server->log().clear();
  auto second = lookUp(series("Dark", 3));
  ASSERT_NE(second->rating, nullptr);
  EXPECT_FALSE(second->rating->isMovie());
  EXPECT_EQ(server->log().size(), 1u) << "with tokens held, a lookup is one search request and nothing else";
  EXPECT_EQ(server->log().count(Endpoint::Search), 1u);
}

TEST_F(EndToEnd, RequestsArriveAsBuilt) {
  holdServerTokens();
  lookUp(heat());
  auto requests = server->log().requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& search = requests[0];
  EXPECT_EQ(search.method, "POST");
  EXPECT_EQ(search.host, server->searchHost());
  EXPECT_EQ(search.header("origin"), "https://www.rottentomatoes.com");
  EXPECT_NE(search.body.find(R"("query":"Heat")"), std::string::npos) << "the title without its parentheses";
}

TEST_F(EndToEnd, ARefusedKeyEndsInNoRatingAndKeepsTheTokens) {
  CXEnhancedRatingsManager::sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(ns(server->options().applicationId),
                                                                                   ns("expired-key"));
  auto outcome = lookUp(heat());
  EXPECT_EQ(outcome->rating, nullptr);
  EXPECT_FALSE(outcome->failed) << "the service's JSON refusal is an answer without a match, not a failure";
  EXPECT_EQ(utf8(CXEnhancedRatingsManager::sharedInstance()->sIdAlgoliaToken()), "expired-key");
  EXPECT_EQ(server->log().count(Endpoint::HomePage), 0u) << "tokens are never refreshed";
}

TEST_F(EndToEnd, SearchMisbehavioursEachEndInTheirOutcome) {
  struct Case {
    const char* name;
    Misbehaviour misbehaviour;
    bool rated;
    bool failed;
  };
  const Case cases[] = {
      {"slow answer", once(Fault::None, 0, 300ms), true, false},
      {"error status, good body", once(Fault::None, 500), true, false},
      {"reset mid-body", once(Fault::ResetMidBody), false, true},
      {"truncated compressed body", once(Fault::TruncatedCompressedBody), false, true},
      {"corrupt compressed body", once(Fault::CorruptCompressedBody), false, true},
      {"body not UTF-8", once(Fault::InvalidUtf8), false, true},
  };
  holdServerTokens();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server->setMisbehaviour(Endpoint::Search, c.misbehaviour);
    auto outcome = lookUp(heat());
    EXPECT_EQ(outcome->rating != nullptr, c.rated);
    EXPECT_EQ(outcome->failed, c.failed);
  }
}

TEST_F(EndToEnd, HomePageMisbehavioursEachEndInTheirOutcome) {
  struct Case {
    const char* name;
    Misbehaviour misbehaviour;
    bool rated;
  };
  const Case cases[] = {
      {"page without the marker", once(Fault::PageWithoutMarker), false},
      {"settings not JSON", once(Fault::PageWithBrokenSettings), false},
      {"page not UTF-8", once(Fault::InvalidUtf8), false},
      {"reset mid-body", once(Fault::ResetMidBody), false},
      {"error status, good page", once(Fault::None, 503), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clearTokens();
    server->log().clear();
    server->setMisbehaviour(Endpoint::HomePage, c.misbehaviour);
    auto outcome = lookUp(heat());
    EXPECT_EQ(outcome->rating != nullptr, c.rated);
    EXPECT_EQ(outcome->failed, !c.rated) << "without tokens the lookup fails; with them it rates";
    EXPECT_EQ(CXEnhancedRatingsManager::hasValidSessionTokens(), c.rated);
    EXPECT_EQ(server->log().count(Endpoint::Search), c.rated ? 1u : 0u);
  }
}

TEST_F(EndToEnd, ACancelledLookupReportsAFailureOnce) {
  holdServerTokens();
  auto gate = std::make_shared<services::Gate>();
  Misbehaviour held;
  held.gate = gate;
  server->setMisbehaviour(Endpoint::Search, held);
  auto probe = std::make_shared<RatingProbe>();
  Ref<NSURLSessionDataTask> task = CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
      heat(), RatingProbe::handlerFor(probe));
  ASSERT_NE(task, nullptr);
  task->resume();
  ASSERT_TRUE(gate->waitForArrivals(1, std::chrono::steady_clock::now() + kPatience)) << "the search never arrived";
  task->cancel();
  ASSERT_TRUE(probe->waitForCall()) << "a cancelled lookup must still report";
  gate->release();
  drainCallbacks();
  EXPECT_EQ(probe->callCount(), 1);
  EXPECT_EQ(probe->rating, nullptr);
  EXPECT_TRUE(probe->failed);
}

TEST_F(EndToEnd, ATaskNeverStartedNeverCallsAndLetsGoOfItsHandler) {
  for (bool withTokens : {true, false}) {
    SCOPED_TRACE(withTokens ? "search task" : "home-page task");
    if (withTokens)
      holdServerTokens();
    else
      clearTokens();
    auto probe = std::make_shared<RatingProbe>();
    std::weak_ptr<RatingProbe> watch = probe;
    {
      Ref<NSURLSessionDataTask> task =
          CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
              heat(), RatingProbe::handlerFor(probe));
      ASSERT_NE(task, nullptr);
      EXPECT_EQ(task->state(), NSURLSessionTaskStateSuspended);
    }
    probe.reset();
    EXPECT_TRUE(watch.expired()) << "the released task must release its handler, so it can never be called";
  }
  drainCallbacks();
  EXPECT_EQ(server->log().size(), 0u) << "nothing was sent";
}

TEST_F(EndToEnd, CertifiedStatusSettlesOrFails) {
  struct Case {
    const char* emsId;
    bool certified;
    bool failed;
  };
  const Case cases[] = {
      {"c60f41a6-5347-50b7-b030-ced2e1c8213a", true, false},   // The Prestige: certified by the service
      {"92042e7c-b80b-5878-a1f2-d7d22a0d6275", false, false},  // Dune (1984): settled, not certified
      {"no-such-title", false, true},                          // an error object: not settled
  };
  struct Probe {
    std::mutex mutex;
    std::condition_variable called;
    int calls = 0;
    bool certified = false;
    bool failed = false;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.emsId);
    auto probe = std::make_shared<Probe>();
    Ref<NSURLSessionDataTask> task = CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(
        ns(c.emsId), [probe](bool certified, bool failed) {
          std::lock_guard lock(probe->mutex);
          ++probe->calls;
          probe->certified = certified;
          probe->failed = failed;
          probe->called.notify_all();
        });
    ASSERT_NE(task, nullptr);
    task->resume();
    {
      std::unique_lock lock(probe->mutex);
      ASSERT_TRUE(probe->called.wait_for(lock, kPatience, [&] { return probe->calls > 0; }));
    }
    drainCallbacks();
    std::lock_guard lock(probe->mutex);
    EXPECT_EQ(probe->calls, 1);
    EXPECT_EQ(probe->certified, c.certified);
    EXPECT_EQ(probe->failed, c.failed);
  }
  EXPECT_EQ(server->log().count(Endpoint::Certified), 3u);
}

// Every hostile answer of each service ends the lookup once, as a failure,
// within the time-out plus a second, and the session serves the next lookup.
// Each scenario gets a fresh session capped at one second, so that no
// connection made earlier hides a certificate fault.
TEST_F(EndToEnd, HostileServicesEachEndInOneFailureInTimeAndLeaveTheSessionUsable) {
  using services::Hostile;
  constexpr auto kLimit = 1s;
  CXEnhancedRatingsManager* manager = CXEnhancedRatingsManager::sharedInstance();
  Ref<NSURLSession> original = manager->enhancedRatingSession();
  auto configuration = NSURLSessionConfiguration::defaultSessionConfiguration();
  auto transport = configuration->transport();
  transport.requestTimeoutLimit = std::chrono::duration<double>(kLimit).count();
  configuration->setTransport(transport);

  const std::pair<Endpoint, const char*> endpoints[] = {
      {Endpoint::HomePage, "home"}, {Endpoint::Search, "search"}, {Endpoint::Certified, "certified"}};
  for (auto [endpoint, endpointName] : endpoints) {
    for (Hostile hostile : services::allHostile()) {
      SCOPED_TRACE(std::string(endpointName) + " " + std::string(services::hostileName(hostile)));
      manager->setEnhancedRatingSession(NSURLSession::sessionWithConfiguration(configuration.get()).get());
      if (endpoint == Endpoint::HomePage) clearTokens(); else holdServerTokens();
      server->setMisbehaviour(endpoint, services::hostileReply(hostile, endpoint, kLimit + 2s));

      const auto started = std::chrono::steady_clock::now();
      if (endpoint == Endpoint::Certified) {
        auto probe = std::make_shared<RatingProbe>();
        Ref<NSURLSessionDataTask> task = CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(
            ns("c60f41a6-5347-50b7-b030-ced2e1c8213a"), [probe](bool certified, bool failed) {
              RatingProbe::handlerFor(probe)(nullptr, failed && !certified);
            });
        ASSERT_NE(task, nullptr);
        task->resume();
        EXPECT_TRUE(probe->waitForCall());
        drainCallbacks();
        EXPECT_EQ(probe->callCount(), 1);
        EXPECT_TRUE(probe->failed) << "an unsettled answer is (NO, YES)";
      } else {
        auto outcome = lookUp(heat());
        EXPECT_EQ(outcome->rating, nullptr);
        EXPECT_TRUE(outcome->failed);
      }
      EXPECT_LT(std::chrono::steady_clock::now() - started, kLimit + 1s);

      server->clearMisbehaviours();
      holdServerTokens();
      EXPECT_NE(lookUp(heat())->rating, nullptr) << "the session still serves the next lookup";
    }
  }
  manager->setEnhancedRatingSession(original.get());
}
