#pragma once
// Bundles: a directory with resources and "strings" tables.

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

// Thread-safe: tables and Info.plist are read once, on first use, under the
// bundle's lock, and kept for the bundle's life; a file edited later is not
// seen by the same bundle. Bundles are never destroyed, as on the device.
class NSBundle : public NSObject {
 public:
  // The bundle for the directory at path, or nil when path is nil or not a
  // readable directory. The same path answers the same bundle for the life
  // of the process (trailing slashes aside), so its tables are read once.
  static Ref<NSBundle> bundleWithPath(const NSString* path);
  // The running application's bundle; its directory is configuration
  // (setMainBundlePath), the current directory until set. Never nil, even
  // when the directory does not exist. The pointer stays valid for the
  // process's life, also after the path is changed.
  static NSBundle* mainBundle();
  // Takes effect for the next mainBundle call.
  static void setMainBundlePath(const std::string& path);

  Ref<NSString> bundlePath() const { return path_; }
  // "<bundle>/<name>.<type>" (just "<name>" when type is nil or empty) when
  // that file or directory exists, else the same in "en.lproj", else nil.
  // A nil name answers nil. Cost: a file-system look-up per call.
  Ref<NSString> pathForResource_ofType(const NSString* name, const NSString* type) const;
  // The table's (nil or empty: "Localizable") value for key from the English
  // localisation: "en.lproj/<table>.strings" when that file exists, else
  // "<table>.strings", as the device picks one file per table. When the key
  // is absent (or the table missing or malformed): value if it is non-empty,
  // else key. A nil key answers value, or "" when value is nil.
  Ref<NSString> localizedStringForKey_value_table(const NSString* key, const NSString* value,
                                                  const NSString* table) const;
  // Info.plist's top-level entries: strings as NSString, <true/>/<false/> and
  // <integer> as NSNumber; nested containers are not read. nil when absent,
  // or when Info.plist is missing or malformed. The result lives as long as the bundle.
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

// Parses the classic "strings" format: `"key" = "value";` entries (and
// `"key";`, whose value is the key), /* */ and // comments, escapes \" \\ \n
// \t \r and the rest of C's, \U1234 (1 to 4 hex digits) and octal, and
// unquoted keys and values made of [A-Za-z0-9_.]. The bytes are UTF-16 when
// they start with a byte order mark, else UTF-8 (with or without one). A
// repeated key keeps its last value. nil when the text is malformed.
Ref<NSDictionary> NSBundleParseStringsTable(std::string_view bytes);

// Reads the top-level <dict> of an XML property list (see objectForInfoDictionaryKey).
// nil when the text is not such a list.
Ref<NSDictionary> NSBundleParseInfoPlist(std::string_view xml);
