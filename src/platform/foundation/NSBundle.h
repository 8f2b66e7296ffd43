#pragma once
// Bundles: a directory with resources and "strings" tables.

#include <mutex>
#include <unordered_map>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

class NSBundle : public NSObject {
 public:
  // nil when path is not a readable directory.
  static Ref<NSBundle> bundleWithPath(const NSString* path);
  // The running application's bundle; its directory is configuration
  // (setMainBundlePath), the current directory until set.
  static NSBundle* mainBundle();
  static void setMainBundlePath(const std::string& path);

  Ref<NSString> bundlePath() const { return path_; }
  // "<bundle>/<name>.<type>" when that file exists, else nil.
  Ref<NSString> pathForResource_ofType(const NSString* name, const NSString* type) const;
  // The table's (nil: "Localizable") value for key from the English
  // localisation ("en.lproj/<table>.strings", then "<table>.strings"); when
  // absent, value if it is non-empty, else key.
  Ref<NSString> localizedStringForKey_value_table(const NSString* key, const NSString* value, const NSString* table) const;
  // Info.plist's top-level string entries.
  id objectForInfoDictionaryKey(const NSString* key) const;

  NSBundle() = default;
  explicit NSBundle(Ref<NSString> path) : path_(std::move(path)) {}

 private:
  const NSDictionary* table(const NSString* name) const;

  Ref<NSString> path_;
  mutable std::mutex lock_;
  mutable std::unordered_map<std::u16string, Ref<NSDictionary>> tables_;  // parsed once
  mutable Ref<NSDictionary> info_;
};

// Parses the classic "strings" format ("key" = "value"; with comments and
// escapes). nil when the text is malformed.
Ref<NSDictionary> NSBundleParseStringsTable(const std::string& utf8);
