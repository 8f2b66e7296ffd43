#pragma once
// User defaults: a registration domain (memory only, never written) under a
// persistent domain saved to a file. Every write is saved at once; saving
// writes a temporary file beside the target, flushes it to disk, renames it
// over the target and flushes the directory, so a crash or a full disk
// mid-write leaves the previous complete file. Failures are values, never
// printed: a damaged or unreadable file is read as empty and says why in
// lastLoadError(); it is left as it is until the next write replaces it, so a
// caller that must keep it checks lastLoadError() before writing. A failed
// save says why in lastSaveError().
//
// The file is UTF-8 JSON: one object whose members are the stored keys and
// their values (strings, numbers, booleans as true/false, arrays, objects).
// Numbers keep their value but not their kind: 2.0 is written as 2 and reads
// back as an integer.
//
// Thread-safe (one mutex per instance; a write holds it while the file is
// saved). Two instances, or two processes, sharing a file overwrite each
// other's changes, as with the device's per-process caches.

#include <mutex>
#include <string>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSString.h"

class NSUserDefaults : public NSObject {
 public:
  // The process's defaults, saved at the configured path. The pointer stays
  // valid for the process's life.
  static NSUserDefaults* standardUserDefaults();
  // Where the standard defaults live: a file path. Takes effect for the next
  // standardUserDefaults call, which then loads a new instance from it; the
  // default is $SCORELENS_DEFAULTS or "$HOME/.scorelens/defaults.json".
  static void setStandardUserDefaultsPath(const std::string& path);
  // Tests: forget the standard instance so the next call reloads from the
  // path. Earlier instances stay alive (callers may still hold them).
  static void resetStandardUserDefaultsForTesting();

  // Loads the file at path (missing: empty). An empty path keeps everything in
  // memory and never touches the disk.
  explicit NSUserDefaults(std::string path = {});

  // Merges into the registration domain: these answer for keys with no
  // stored value. Never saved.
  void registerDefaults(const NSDictionary* defaults);
  // The stored value, else the registered one, else nil.
  StrongId objectForKey(const NSString* key) const;
  // A number's truth; a string reads YES when it is "YES" or "true" (any
  // case) or starts with a non-zero integer; anything else or absent: NO.
  bool boolForKey(const NSString* key) const;
  // A number's or a string's integer value; 0 when absent or of another type.
  NSInteger integerForKey(const NSString* key) const;
  // A string, or a number's text; nil otherwise.
  Ref<NSString> stringForKey(const NSString* key) const;
  // Stores a deep, immutable copy and saves. nil removes. A value JSON cannot
  // carry (see above), or a nil key, is a programming error, as the device
  // rejects objects that are not property lists.
  void setObject_forKey(id value, const NSString* key);
  void setBool_forKey(bool value, const NSString* key);
  void setInteger_forKey(NSInteger value, const NSString* key);
  void removeObjectForKey(const NSString* key);
  // Saves now; NO when the file could not be written (the values stay in
  // memory, and every later write tries again). Saving nothing over a damaged
  // file that has not been written since it was read is skipped (YES).
  bool synchronize();
  // Why the file was read as empty ("cannot open: Permission denied", "not
  // JSON (...)"), or empty when it loaded (or did not exist).
  std::string lastLoadError() const;
  // Why the last save failed ("cannot rename: Is a directory"), or empty when
  // it succeeded (or nothing was saved yet).
  std::string lastSaveError() const;
  const std::string& path() const { return path_; }

 private:
  void load();
  bool saveLocked();
  StrongId lookUpLocked(const NSString* key) const;

  std::string path_;
  mutable std::mutex lock_;
  Ref<NSMutableDictionary> registered_;
  Ref<NSMutableDictionary> persistent_;
  std::string loadError_;
  std::string saveError_;
  bool keepDamagedFile_ = false;  // loaded damaged, not written since
};
