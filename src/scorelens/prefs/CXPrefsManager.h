#pragma once
// CXPrefsManager: the module's hub of class methods. It is never instantiated;
// every member is static. This file declares the display preferences, the
// action-sheet flag, the text helpers, the artwork, colours and font, the host
// version gates and the injection cell classes.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSString.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"

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

  // --- artwork, colours and font -------------------------------------------------
  // Meant for the main thread, but safe from any: each object has its own
  // process-wide slot (under a lock), filled on first success and kept for the
  // life of the process, so every later call answers the very same object. A
  // failed load leaves its slot empty and the next call tries again. Cost after
  // the first success: one lock.

  // The resource folder "/Library/Application Support/ScoreLens.bundle" below
  // the jailbreak root (libroot_dyn_jbrootpath), or nil when it cannot be opened.
  static Ref<NSBundle> bundle();

  // The critic icon, first rule that applies: no rating "tomato_bw", certified
  // "shooting_star", rating >= 60 "tomato", else (below 60 or NaN) "poop".
  // nil while the image cannot be loaded.
  static Ref<UIImage> criticRatingImageForRating_hasRating_isCertified(double rating, bool hasRating,
                                                                       bool isCertified);
  // The audience icon: no rating "smile_bw", rating >= 60 "smile", else "puke".
  static Ref<UIImage> audienceRatingImageForRating_hasRating(double rating, bool hasRating);
  // "x", "question_mark" and "settings", as stored.
  static Ref<UIImage> errorImage();
  static Ref<UIImage> noRatingAvailableImage();
  static Ref<UIImage> settingsImage();
  // "old_chevron18x18" and "new_chevron" in template rendering mode.
  static Ref<UIImage> oldChevronImage();
  static Ref<UIImage> newChevronImage();

  // Opaque colours. The meter track is dark grey (0.22) on hosts up to
  // 9.18.1 and the platform's light grey on later ones, chosen once per process.
  static Ref<UIColor> enhancedRatingMeterTrackColor();
  static Ref<UIColor> enhancedRatingMeterProgressColor();   // (0.9, 0.051, 0.078)
  static Ref<UIColor> enhancedRatingLabelColor();           // grey 0.502
  static Ref<UIColor> settingsIconTintColor();              // grey 0.702
  static Ref<UIColor> settingsCellTintColor();              // grey 0.3
  static Ref<UIColor> settingsHeaderSubtitleLabelColor();   // grey 0.592

  // The host's typeface "NetflixSansApp-Regular" at size points, asked for on
  // every call (not cached); nil when the host does not carry it.
  static Ref<UIFont> netflixFontOfSize(CGFloat size);

  // --- host version gates -------------------------------------------------------
  // Each compares its fixed version with the host's (VersionManager's
  // sharedInstance's appVersion, numerically: 9.100.0 is above 9.19.0) on its
  // first call, under its own once-only guard, and answers the same for the
  // rest of the process. Any thread.
  //
  // A host without a VersionManager, a sharedInstance or an appVersion string
  // counts as reporting the empty version, which is below every gate's: the
  // at-least gates answer NO and the below gates YES. So exactly one of
  // isAtLeastNetflix16x and isLessThanNetflix16x is YES on every host, and an
  // unidentified host is served the oldest layouts, whose hooks do nothing
  // unless their classes exist.
  static bool hasDisplayPageCellRedesigniPhone();   // at least 9.19.0
  static bool hasDisplayPageCellRedesigniPad();     // at least 9.48.0
  static bool hasViewModelRedesign();               // at least 10.2.0
  static bool hasSettingsRedesign();                // at least 12.5.0
  static bool hasAboveTheFoldRedesign();            // at least 13.14.0
  static bool hasSettingsNewChevron();              // at least 14.23.0
  static bool hasAboveTheFoldStackViewRedesign();   // at least 14.28.0
  static bool hasDisplayPageCellRename();           // at least 16.51.0
  static bool isLessThanNetflix10x();               // below 10.0.0
  static bool isAtLeastNetflix11x();                // at least 11.0.0
  static bool isAtLeastNetflix12x();                // at least 12.0.0
  static bool isAtLeastNetflix15x();                // at least 15.1.0
  static bool isAtLeastNetflix16x();                // at least 16.1
  static bool isLessThanNetflix16x();               // below 16.1

  // Tests only: forgets every gate's answer so the next call reads the host's
  // version again. Not safe while another thread asks a gate.
  static void resetVersionGatesForTesting();

  // --- injection cell classes -----------------------------------------------------
  // The host's play-button collection cell and the view it wraps, looked up by
  // run-time name on every call: the "DisplayPagePlaybackButtonView" names on
  // hosts from 16.51.0 (hasDisplayPageCellRename), the "DisplayPageButtonView"
  // names before. nil when the running host lacks the class. Any thread.
  static Class displayPageInjectionCellClass();
  static Class displayPageInjectionCellSubviewClass();
};

// The user-defaults keys of the four preferences.
extern const char* const CXCriticRatingPercentageEnabledKey;     // "CXCriticRatingPercentageEnabled"
extern const char* const CXCriticRatingMeterEnabledKey;          // "CXCriticRatingMeterEnabled"
extern const char* const CXAudienceRatingPercentageEnabledKey;   // "CXAudienceRatingPercentageEnabled"
extern const char* const CXAudienceRatingMeterEnabledKey;        // "CXAudienceRatingMeterEnabled"
