#pragma once
// What the strip's tests share: a main queue and a manual clock of their own,
// preferences in a scratch defaults file, the module's resources where the
// build stages them, and a loopback stand-in of the three services whose
// requests and faults each test can see and set.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSValue.h"
#include "platform/uikit/UIKit.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"
#include "services/server.h"

namespace strip_test {

inline Ref<NSString> ns(const std::string& text) { return NSString::stringWithUTF8String(text); }

// The certified-status service answers YES for this identifier (The Prestige).
inline constexpr const char* kCertifiedEmsId = "c60f41a6-5347-50b7-b030-ced2e1c8213a";

// The stand-in services of these tests, started once per process.
services::ServicesServer& server();

// A record as the lookup would make it.
struct Record {
  bool movie = false;
  std::optional<double> critic{};
  std::optional<double> audience{};
  const char* emsId = nullptr;
  const char* url = "https://www.rottentomatoes.com/tv/dark";
  bool certified = false;
  bool validated = false;
};
Ref<CXEnhancedRating> rating(const Record& r);

class StripTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Stores the four preferences (in the scratch defaults file).
  static void setPreferences(bool criticPercentage, bool criticMeter, bool audiencePercentage, bool audienceMeter);
  // A strip 375 points wide and as high as the preferences ask, labels in
  // 14-point text as the page hooks set them.
  static Ref<CXEnhancedRatingViewContainer> makeStrip();
  // A model that holds only a video identifier no other test uses.
  static Ref<CXVideoDisplayPageModel> freshModel();
  // A film the stand-in's catalog rates (critic 88, certified in the hit).
  static Ref<CXVideoDisplayPageModel> heat();
  // Caches record under a new identifier and answers a model holding it.
  static Ref<CXVideoDisplayPageModel> cached(CXEnhancedRating* record);

  // The reachability status the host reports from now on (0: reachable).
  static void setNetworkStatus(long status);

  static void advance(double seconds) {
    dispatch::Clock::advance(std::chrono::nanoseconds(static_cast<long long>(seconds * 1e9)));
  }
  static bool runUntil(const std::function<bool()>& predicate) {
    return dispatch::MainRunLoop::runUntil(predicate, std::chrono::seconds(20));
  }
  // Lets everything the session's queue already holds run, then the main
  // queue: any answer that has arrived has been shown after this.
  static void settle();
  // Runs the fade-in and everything it starts (0.5 s on the clock).
  static void finishFadeIn() {
    advance(0.5);
    dispatch::MainRunLoop::runOnce();
  }
  // Whether the module's resource folder is reachable, so images have names;
  // every strip test requires it.
  static bool hasArtwork() { return CXPrefsManager::bundle() != nullptr; }

  std::shared_ptr<services::Gate> holdSearches();
  std::shared_ptr<services::Gate> holdCertifiedAnswers();

 private:
  std::filesystem::path defaults_;
  Ref<NSURLSession> savedSession_;
  Ref<NSString> savedAppId_, savedApiKey_;
  std::vector<std::shared_ptr<services::Gate>> gates_;
};

// The name of the image an image view shows ("" for none).
std::string iconName(const UIImageView* view);

}  // namespace strip_test
