#include "strip_fixture.h"

#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <memory>

#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/layout_engine.h"
#include "scorelens/loader/fresh_process.h"

namespace strip_test {
namespace {

#ifdef SCORELENS_TEST_DEVICE_LIB_DIR
// The module finds its resource folder through the device's libroot. These
// tests link the module's code without loading the module library, so there
// is no library directory to look beside: the run path says where the build
// put it. Set before anything asks for a root path; a value set by whoever
// runs the tests wins.
[[maybe_unused]] const bool kDeviceLibroot = [] {
  ::setenv("SCORELENS_RPATH", SCORELENS_TEST_DEVICE_LIB_DIR, 0);
  ::setenv("SCORELENS_JBROOT", SCORELENS_TEST_STAGED_JBROOT, 0);
  return true;
}();
#endif

services::ServicesServer* gServer = nullptr;
NSURLSession* gSession = nullptr;  // lives for the process, as the manager's own does

// A server of these tests' own, so that its request log and faults are theirs;
// the manager's session is pointed at it for the length of each test.
class StripServices : public ::testing::Environment {
 public:
  void SetUp() override {
    auto catalog = services::Catalog::load(services::defaultCatalogPath());
    if (!catalog) {
      std::fprintf(stderr, "stand-in catalog: %s\n", catalog.error().message.c_str());
      std::abort();
    }
    server_ = std::make_unique<services::ServicesServer>(std::move(catalog).value());
    if (services::Status started = server_->start(); !started) {
      std::fprintf(stderr, "stand-in services: %s\n", started.error().message.c_str());
      std::abort();
    }
    NSURLSessionTransportSettings transport;
    transport.caFile = server_->caFile().string();
    for (const std::string& host : server_->hostNames())
      transport.connectTo.push_back(host + ":443:127.0.0.1:" + std::to_string(server_->port()));
    Ref<NSURLSessionConfiguration> configuration = NSURLSessionConfiguration::defaultSessionConfiguration();
    configuration->setTransport(transport);
    gSession = NSURLSession::sessionWithConfiguration(configuration).leak();
    gServer = server_.get();
    fresh_process::removeAtQuickExit(server_->caFile().parent_path());
  }
  void TearDown() override { server_->stop(); }

 private:
  std::unique_ptr<services::ServicesServer> server_;
};
[[maybe_unused]] ::testing::Environment* const kServices = ::testing::AddGlobalTestEnvironment(new StripServices);

std::atomic<long> networkStatus{0};

}  // namespace

services::ServicesServer& server() { return *gServer; }

Ref<CXEnhancedRating> rating(const Record& r) {
  Ref<CXEnhancedRating> record = make<CXEnhancedRating>();
  record->setIsMovie(r.movie);
  if (r.critic) {
    record->setHasCriticRating(true);
    record->setCriticRating(*r.critic);
  }
  if (r.audience) {
    record->setHasAudienceRating(true);
    record->setAudienceRating(*r.audience);
  }
  if (r.emsId) record->setEmsId(ns(r.emsId));
  if (r.url) record->setUrl(NSURL::URLWithString(ns(r.url)));
  record->setIsCertified(r.certified);
  record->setIsValidated(r.validated);
  return record;
}

std::string iconName(const UIImageView* view) {
  UIImage* image = view->image();
  return image ? utf8(image->name()) : std::string();
}

void StripTest::SetUp() {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  dispatch::MainRunLoop::resetForTesting();
  dispatch::Clock::setManual(true);
  UIApplication::sharedApplication()->clearOpenedURLs();
  UIApplication::sharedApplication()->setOpenableURLSchemes({"http", "https"});
  uikit::installConstraintLayout();

  std::string pattern = (std::filesystem::temp_directory_path() / "scorelens-strip-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "no scratch directory";
  defaults_ = pattern;
  NSUserDefaults::setStandardUserDefaultsPath((defaults_ / "defaults.json").string());
  NSUserDefaults::resetStandardUserDefaultsForTesting();
  CXPrefsManager::registerDefaults();

  CXEnhancedRatingsManager* manager = CXEnhancedRatingsManager::sharedInstance();
  savedSession_ = manager->enhancedRatingSession();
  savedAppId_ = manager->aIdAlgoliaToken();
  savedApiKey_ = manager->sIdAlgoliaToken();
  manager->setEnhancedRatingSession(gSession);
  manager->setAIdAlgoliaToken_sIdAlgoliaToken(ns(server().options().applicationId), ns(server().options().apiKey));
  server().clearMisbehaviours();
  server().log().clear();
  networkStatus = 0;
  // Without the folder every icon is nil, and a test of which icon shows
  // would pass whatever the strip chose.
  ASSERT_TRUE(hasArtwork()) << "the module's resource folder is not staged";
}

void StripTest::TearDown() {
  for (const auto& gate : gates_) gate->release();
  server().clearMisbehaviours();
  networkStatus = 0;
  dispatch::MainRunLoop::resetForTesting();
  dispatch::Clock::setManual(false);
  CXEnhancedRatingsManager* manager = CXEnhancedRatingsManager::sharedInstance();
  manager->setEnhancedRatingSession(savedSession_);
  manager->setAIdAlgoliaToken_sIdAlgoliaToken(savedAppId_, savedApiKey_);
  NSUserDefaults::resetStandardUserDefaultsForTesting();
  std::error_code ignored;
  std::filesystem::remove_all(defaults_, ignored);
}

void StripTest::setPreferences(bool criticPercentage, bool criticMeter, bool audiencePercentage, bool audienceMeter) {
  CXPrefsManager::setCriticRatingPercentageEnabled(criticPercentage);
  CXPrefsManager::setCriticRatingMeterEnabled(criticMeter);
  CXPrefsManager::setAudienceRatingPercentageEnabled(audiencePercentage);
  CXPrefsManager::setAudienceRatingMeterEnabled(audienceMeter);
}

Ref<CXEnhancedRatingViewContainer> StripTest::makeStrip() {
  Ref<CXEnhancedRatingViewContainer> strip = make<CXEnhancedRatingViewContainer>();
  strip->setFrame(CGRectMake(0, 0, 375, CXEnhancedRatingViewContainer::appropriateHeight()));
  for (UILabel* label : {strip->messageLabel(), strip->firstRatingPercentageLabel(), strip->secondRatingPercentageLabel()})
    label->setFont(UIFont::systemFontOfSize(14));
  return strip;
}

Ref<CXVideoDisplayPageModel> StripTest::freshModel() {
  static long next = 880000000;
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setVideoId(box(next++));
  return model;
}

Ref<CXVideoDisplayPageModel> StripTest::heat() {
  Ref<CXVideoDisplayPageModel> model = freshModel();
  model->setIsMovie(true);
  model->setTitle(ns("Heat (1995)"));
  model->setReleaseYear(box(1995L));
  model->setRuntime(box(10200L));
  return model;
}

Ref<CXVideoDisplayPageModel> StripTest::cached(CXEnhancedRating* record) {
  Ref<CXVideoDisplayPageModel> model = freshModel();
  CXEnhancedRatingsManager::sharedInstance()->addEnhancedRating_withVideoId(record, model->videoId());
  return model;
}

void StripTest::setNetworkStatus(long status) {
  // The host's monitor, answered from this file; made once per process.
  [[maybe_unused]] static const bool installed = [] {
    Class monitor = objc_getClass("CRReachabilityMonitor");
    if (!monitor) {
      monitor = objc_allocateClassPair(objc::classOf<NSObject>(), "CRReachabilityMonitor", 0);
      objc_registerClassPair(monitor);
    }
    IMP answer = +[](id, SEL) -> long { return networkStatus.load(); };
    class_replaceMethod(object_getClass(class_asObject(monitor)), sel("currentNetworkStatus"), answer, "q@:");
    return true;
  }();
  networkStatus = status;
}

void StripTest::settle() {
  dispatch_sync(gSession->callbackQueue(), [] {});
  while (dispatch::MainRunLoop::runOnce() > 0) {
  }
}

std::shared_ptr<services::Gate> StripTest::holdSearches() {
  auto gate = std::make_shared<services::Gate>();
  services::Misbehaviour held;
  held.gate = gate;
  server().setMisbehaviour(services::Endpoint::Search, held);
  gates_.push_back(gate);
  return gate;
}

std::shared_ptr<services::Gate> StripTest::holdCertifiedAnswers() {
  auto gate = std::make_shared<services::Gate>();
  services::Misbehaviour held;
  held.gate = gate;
  server().setMisbehaviour(services::Endpoint::Certified, held);
  gates_.push_back(gate);
  return gate;
}

}  // namespace strip_test
