// The four display preferences and the action-sheet flag.

#include <atomic>

#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/NSValue.h"
#include "scorelens/prefs/CXPrefsManager.h"

const char* const CXCriticRatingPercentageEnabledKey = "CXCriticRatingPercentageEnabled";
const char* const CXCriticRatingMeterEnabledKey = "CXCriticRatingMeterEnabled";
const char* const CXAudienceRatingPercentageEnabledKey = "CXAudienceRatingPercentageEnabled";
const char* const CXAudienceRatingMeterEnabledKey = "CXAudienceRatingMeterEnabled";

namespace {
// Only the main thread touches the flag, but an atomic costs nothing and keeps
// a stray reader from being a data race.
std::atomic<bool> needsDetailsFlag{false};

Ref<NSString> key(const char* name) { return NSString::stringWithUTF8String(name); }

bool read(const char* name) { return NSUserDefaults::standardUserDefaults()->boolForKey(key(name)); }
void write(const char* name, bool value) { NSUserDefaults::standardUserDefaults()->setBool_forKey(value, key(name)); }
}  // namespace

void CXPrefsManager::registerDefaults() {
  Ref<NSDictionary> defaults = NSDictionary::dictionaryWithObjectsAndKeys({
      {key(CXCriticRatingPercentageEnabledKey), box(true)},
      {key(CXCriticRatingMeterEnabledKey), box(true)},
      {key(CXAudienceRatingPercentageEnabledKey), box(true)},
      {key(CXAudienceRatingMeterEnabledKey), box(true)},
  });
  NSUserDefaults::standardUserDefaults()->registerDefaults(defaults);
}

bool CXPrefsManager::criticRatingPercentageEnabled() { return read(CXCriticRatingPercentageEnabledKey); }
void CXPrefsManager::setCriticRatingPercentageEnabled(bool enabled) { write(CXCriticRatingPercentageEnabledKey, enabled); }
bool CXPrefsManager::criticRatingMeterEnabled() { return read(CXCriticRatingMeterEnabledKey); }
void CXPrefsManager::setCriticRatingMeterEnabled(bool enabled) { write(CXCriticRatingMeterEnabledKey, enabled); }
bool CXPrefsManager::audienceRatingPercentageEnabled() { return read(CXAudienceRatingPercentageEnabledKey); }
void CXPrefsManager::setAudienceRatingPercentageEnabled(bool enabled) {
  write(CXAudienceRatingPercentageEnabledKey, enabled);
}
bool CXPrefsManager::audienceRatingMeterEnabled() { return read(CXAudienceRatingMeterEnabledKey); }
void CXPrefsManager::setAudienceRatingMeterEnabled(bool enabled) { write(CXAudienceRatingMeterEnabledKey, enabled); }

bool CXPrefsManager::criticRatingEnabled() { return criticRatingPercentageEnabled() || criticRatingMeterEnabled(); }
bool CXPrefsManager::audienceRatingEnabled() { return audienceRatingPercentageEnabled() || audienceRatingMeterEnabled(); }
bool CXPrefsManager::enhancedRatingEnabled() { return criticRatingEnabled() || audienceRatingEnabled(); }

bool CXPrefsManager::needsDetailsFromActionSheet() { return needsDetailsFlag.load(std::memory_order_relaxed); }
void CXPrefsManager::setNeedsDetailsFromActionSheet(bool needs) { needsDetailsFlag.store(needs, std::memory_order_relaxed); }
