#include "scorelens/prefs/localized.h"

#include "scorelens/prefs/CXPrefsManager.h"

Ref<NSString> CXLocalizedString(const char* key, const char* english) {
  Ref<NSString> fallback = NSString::stringWithUTF8String(english);
  Ref<NSBundle> bundle = CXPrefsManager::bundle();
  if (!bundle) return fallback;
  Ref<NSString> text = bundle->localizedStringForKey_value_table(NSString::stringWithUTF8String(key), fallback,
                                                                 "Localizable"_ns);
  return text && text->length() > 0 ? text : fallback;
}
