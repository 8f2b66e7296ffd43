#pragma once
// CXPrefsManager: the module's hub of class methods. It is never instantiated;
// every member is static. This file declares the display preferences, the
// action-sheet flag and the text helpers shared by the lookup and the hooks.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

class CXPrefsManager : public NSObject {
 public:
  CXPrefsManager() = delete;

  // --- display preferences ---------------------------------------------------
  // Stored as booleans in the standard user defaults; never cached here, so a
  // write is seen by the next read anywhere in the process. Any thread (the
  // defaults store is thread-safe); each call costs one defaults lookup.

  // Registers YES for the four keys in the defaults' volatile registration
  // layer. Stored values still win. Calling it again is harmless.
  static void registerDefaults();

  static bool criticRatingPercentageEnabled();
  static void setCriticRatingPercentageEnabled(bool enabled);
  static bool criticRatingMeterEnabled();
  static void setCriticRatingMeterEnabled(bool enabled);
  static bool audienceRatingPercentageEnabled();
  static void setAudienceRatingPercentageEnabled(bool enabled);
  static bool audienceRatingMeterEnabled();
  static void setAudienceRatingMeterEnabled(bool enabled);

  // A score is enabled when either of its forms is on; the strip is enabled
  // when either score is. Short-circuit: the second key is read only when the
  // first is NO.
  static bool criticRatingEnabled();
  static bool audienceRatingEnabled();
  static bool enhancedRatingEnabled();

  // Raised just before the module itself opens the host's details sheet, so
  // the presentation hook can tell that sheet apart. Memory only, NO at load.
  static bool needsDetailsFromActionSheet();
  static void setNeedsDetailsFromActionSheet(bool needs);

  // --- text helpers ------------------------------------------------------------
  // Pure functions of their arguments. The expressions they use are compiled
  // once per process on first use, safely from any thread.

  // Removes every parenthesised part together with at most one whitespace
  // character before it; trims nothing else ("Heat (1995)" gives "Heat"). An
  // opening parenthesis without a closing one stays. nil gives nil. Any thread.
  static Ref<NSString> removeParensFromString(const NSString* string);

  // The names in the host's metadata entries, in order: a dictionary's value
  // for "name" (unchanged, whatever its type), or the name inside the
  // description of a wrapped host value (class "__SwiftValue" or a subclass).
  // Other entries contribute nothing. Always an immutable array (empty for nil).
  static Ref<NSArray> namesForMetadataContents(const NSArray* contents);

  // The first `name: "..."` text (at least one character) in the description
  // of a wrapped host value, or nil.
  static Ref<NSString> nameFromSwiftValueDescription(const NSString* description);
};

// The user-defaults keys of the four preferences.
extern const char* const CXCriticRatingPercentageEnabledKey;     // "CXCriticRatingPercentageEnabled"
extern const char* const CXCriticRatingMeterEnabledKey;          // "CXCriticRatingMeterEnabled"
extern const char* const CXAudienceRatingPercentageEnabledKey;   // "CXAudienceRatingPercentageEnabled"
extern const char* const CXAudienceRatingMeterEnabledKey;        // "CXAudienceRatingMeterEnabled"
