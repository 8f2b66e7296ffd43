#pragma once
// What the settings classes' files share; internal to settings/. Main thread.

#include <string>

#include "host/settings/settings_classes.h"

namespace host {

inline Ref<NSString> settingsText(const std::string& text) { return NSString::stringWithUTF8String(text); }

inline Ref<NSLayoutConstraint> settingsPin(UIView* a, NSLayoutAttribute aa, UIView* b, NSLayoutAttribute ba,
                                           CGFloat c) {
  return NSLayoutConstraint::constraintWithItem_attribute_relatedBy_toItem_attribute_multiplier_constant(
      a, aa, NSLayoutRelationEqual, b, ba, 1, c);
}

// The screen a row that opens one names ("account", "about", ...), or nil.
Ref<AppSettingsProvider> settingsProviderFor(const std::string& screen);

// The build number the app shows beside its version.
std::string settingsBuildNumber(const std::string& version);

}  // namespace host
