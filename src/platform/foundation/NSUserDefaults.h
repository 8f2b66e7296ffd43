#pragma once
// User defaults: a registration domain (memory only, never written) under a
// persistent domain saved to a file. Every write is saved at once; saving
// writes a temporary file, flushes it and renames it over the old one, so a
// crash or a full disk mid-write loses nothing saved before. A damaged file is
// reported once (on standard error, and in lastLoadError) and read as empty.
// Thread-safe.

#include <mutex>
#include <string>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

class NSUserDefaults : public NSObject {
 public:
  // The process's defaults, saved at the configured path.
  static NSUserDefaults* standardUserDefaults();
  // Where the standard defaults live: a file path. Takes effect for the next
  // standardUserDefaults call; the default is $SCORELENS_DEFAULTS or
  // "$HOME/.scorelens/defaults.json".
  static void setStandardUserDefaultsPath(const std::string& path);
  // Tests: forget the standard instance so the next call reloads from the path.
  static void resetStandardUserDefaultsForTesting();

  explicit NSUserDefaults(std::string path = {});

  void registerDefaults(const NSDictionary* defaults);
  StrongId objectForKey(const NSString* key) const;
  bool boolForKey(const NSString* key) const;         // NO when absent or not a number/string
  NSInteger integerForKey(const NSString* key) const;  // 0 when absent
  Ref<NSString> stringForKey(const NSString* key) const;
  void setObject_forKey(id value, const NSString* key);  // nil removes
  void setBool_forKey(bool value, const NSString* key);
  void setInteger_forKey(NSInteger value, const NSString* key);
  void removeObjectForKey(const NSString* key);
  // Saves now; NO when the file could not be written (the values stay in memory).
  bool synchronize();
  // Why the file was read as empty, or empty when it loaded (or did not exist).
  std::string lastLoadError() const;
  const std::string& path() const { return path_; }

 private:
  void load();
  bool saveLocked();

  std::string path_;
  mutable std::mutex lock_;
  Ref<NSMutableDictionary> registered_;
  Ref<NSMutableDictionary> persistent_;
  std::string loadError_;
};
