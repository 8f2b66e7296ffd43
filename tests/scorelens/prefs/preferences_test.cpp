#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/foundation/NSUserDefaults.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace {
// Each test gets a defaults file of its own in a scratch directory, so stored
// values neither leak between tests nor touch the user's real defaults.
class PreferenceStore : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "scorelens-prefs-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "no scratch directory";
    directory_ = pattern;
    relaunch();
  }
  void TearDown() override {
    NSUserDefaults::resetStandardUserDefaultsForTesting();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  // A new process as far as the defaults go: the store reloads from the file,
  // and the first initialiser registers the defaults again.
  void relaunch(bool registerDefaults = true) {
    NSUserDefaults::setStandardUserDefaultsPath((directory_ / "defaults.json").string());
    NSUserDefaults::resetStandardUserDefaultsForTesting();
    if (registerDefaults) CXPrefsManager::registerDefaults();
  }
  static void setAll(bool criticPercentage, bool criticMeter, bool audiencePercentage, bool audienceMeter) {
    CXPrefsManager::setCriticRatingPercentageEnabled(criticPercentage);
    CXPrefsManager::setCriticRatingMeterEnabled(criticMeter);
    CXPrefsManager::setAudienceRatingPercentageEnabled(audiencePercentage);
    CXPrefsManager::setAudienceRatingMeterEnabled(audienceMeter);
  }

  std::filesystem::path directory_;
};
}  // namespace

TEST_F(PreferenceStore, EverythingIsOnBeforeTheUserChangesAnything) {
  EXPECT_TRUE(CXPrefsManager::criticRatingPercentageEnabled());
  EXPECT_TRUE(CXPrefsManager::criticRatingMeterEnabled());
  EXPECT_TRUE(CXPrefsManager::audienceRatingPercentageEnabled());
  EXPECT_TRUE(CXPrefsManager::audienceRatingMeterEnabled());
  EXPECT_TRUE(CXPrefsManager::criticRatingEnabled());
  EXPECT_TRUE(CXPrefsManager::audienceRatingEnabled());
  EXPECT_TRUE(CXPrefsManager::enhancedRatingEnabled());
}

TEST_F(PreferenceStore, UnsetKeysReadNoUntilTheDefaultsAreRegistered) {
  relaunch(/*registerDefaults=*/false);
  EXPECT_FALSE(CXPrefsManager::criticRatingPercentageEnabled()) << "nothing registered yet";
  CXPrefsManager::registerDefaults();
  EXPECT_TRUE(CXPrefsManager::criticRatingPercentageEnabled());
}

TEST_F(PreferenceStore, DerivedAnswersNeedOneFormOfAScoreAndOneScore) {
  setAll(false, false, true, false);
  EXPECT_FALSE(CXPrefsManager::criticRatingEnabled()) << "both critic forms are off";
  EXPECT_TRUE(CXPrefsManager::audienceRatingEnabled()) << "the audience percentage is on";
  EXPECT_TRUE(CXPrefsManager::enhancedRatingEnabled()) << "one score is enough for the strip";

  setAll(false, true, false, false);
  EXPECT_TRUE(CXPrefsManager::criticRatingEnabled()) << "the meter alone enables the critic score";
  EXPECT_FALSE(CXPrefsManager::audienceRatingEnabled());
  EXPECT_TRUE(CXPrefsManager::enhancedRatingEnabled()) << "the critic score alone is enough too";

  setAll(false, false, false, false);
  EXPECT_FALSE(CXPrefsManager::criticRatingEnabled());
  EXPECT_FALSE(CXPrefsManager::audienceRatingEnabled());
  EXPECT_FALSE(CXPrefsManager::enhancedRatingEnabled());
}

TEST_F(PreferenceStore, EachSetterWritesOnlyItsOwnKey) {
  CXPrefsManager::setCriticRatingMeterEnabled(false);
  EXPECT_TRUE(CXPrefsManager::criticRatingPercentageEnabled());
  EXPECT_FALSE(CXPrefsManager::criticRatingMeterEnabled());
  EXPECT_TRUE(CXPrefsManager::audienceRatingPercentageEnabled());
  EXPECT_TRUE(CXPrefsManager::audienceRatingMeterEnabled());
  EXPECT_FALSE(NSUserDefaults::standardUserDefaults()->boolForKey("CXCriticRatingMeterEnabled"_ns))
      << "stored under its exact key";
}

TEST_F(PreferenceStore, WrittenValuesSurviveARelaunchAndWinOverRegisteredDefaults) {
  setAll(false, true, true, false);
  relaunch();  // registers the defaults again, as every launch does
  EXPECT_FALSE(CXPrefsManager::criticRatingPercentageEnabled());
  EXPECT_TRUE(CXPrefsManager::criticRatingMeterEnabled());
  EXPECT_TRUE(CXPrefsManager::audienceRatingPercentageEnabled());
  EXPECT_FALSE(CXPrefsManager::audienceRatingMeterEnabled());
  CXPrefsManager::registerDefaults();
  EXPECT_FALSE(CXPrefsManager::criticRatingPercentageEnabled()) << "registering again must not undo a choice";
}

TEST(ActionSheetFlag, IsOffAtLoadAndFollowsItsSetter) {
  EXPECT_FALSE(CXPrefsManager::needsDetailsFromActionSheet());
  CXPrefsManager::setNeedsDetailsFromActionSheet(true);
  EXPECT_TRUE(CXPrefsManager::needsDetailsFromActionSheet());
  CXPrefsManager::setNeedsDetailsFromActionSheet(false);
  EXPECT_FALSE(CXPrefsManager::needsDetailsFromActionSheet());
}
