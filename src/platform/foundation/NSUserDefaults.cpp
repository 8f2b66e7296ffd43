#include "platform/foundation/NSUserDefaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/NSValue.h"

namespace fs = std::filesystem;

namespace {

std::string errnoText(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

// Reads the whole file; nullopt with errno's reason, or with an empty reason
// when the file does not exist.
std::optional<std::string> readAll(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = errno == ENOENT ? std::string() : errnoText("cannot open", errno);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[16384];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = errnoText("cannot read", errno);
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes bytes to path so that path always holds either its old or its new
// content in full: a new file beside it, flushed, renamed over it, and the
// directory flushed so the rename itself survives a power cut.
bool replaceFileAtomically(const std::string& path, const std::string& bytes, std::string& why) {
  fs::path dir = fs::path(path).parent_path();
  if (dir.empty()) dir = ".";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) {
    why = "cannot create " + dir.string() + ": " + ec.message();
    return false;
  }
  std::string temp = path + ".tmp.XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    why = errnoText("cannot create a temporary file", errno);
    return false;
  }
  bool ok = writeAll(fd, bytes);
  if (!ok) why = errnoText("cannot write", errno);
  if (ok && ::fsync(fd) != 0) {
    why = errnoText("cannot flush", errno);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    why = errnoText("cannot close", errno);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    why = errnoText("cannot rename", errno);
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    // The new content is in place either way; a directory that cannot be
    // flushed only weakens the guarantee against a power cut.
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool containsNull(id value) {
  if (objc_cast<NSNull>(value)) return true;
  if (auto* a = objc_cast<NSArray>(value)) {
    for (const StrongId& item : *a)
      if (containsNull(item.get())) return true;
  }
  if (auto* d = objc_cast<NSDictionary>(value)) {
    for (const StrongId& v : d->allValues())
      if (containsNull(v.get())) return true;
  }
  return false;
}

// A deep, immutable copy of exactly what the file will hold, so that a value
// reads the same before and after a restart. Depth is bounded by the JSON
// writer, which also rejects what the file cannot carry.
StrongId storableCopy(id value) {
  Ref<NSError> error;
  Ref<NSData> data =
      NSJSONSerialization::dataWithJSONObject_options_error(value, NSJSONWritingFragmentsAllowed, &error);
  if (!data || containsNull(value))
    objc::fatal("NSUserDefaults setObject:forKey: attempt to insert a non-property-list object " +
                utf8(objc_msgSend<Ref<NSString>>(value, "description").get()));
  return NSJSONSerialization::JSONObjectWithData_options_error(data, NSJSONReadingFragmentsAllowed, nullptr);
}

void requireKey(const NSString* key, const char* caller) {
  if (!key) objc::fatal(std::string("NSUserDefaults ") + caller + ": nil key");
}

std::string defaultStandardPath() {
  if (const char* configured = std::getenv("SCORELENS_DEFAULTS"); configured && *configured) return configured;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.scorelens/defaults.json";
}

// Heap-allocated and never destroyed: callers keep plain pointers, and no
// instance is released after the run time has shut down at exit.
struct Standard {
  std::mutex lock;
  std::optional<std::string> path;
  NSUserDefaults* current = nullptr;
  std::vector<Ref<NSUserDefaults>> all;
};
Standard& standard() {
  static Standard* s = new Standard();
  return *s;
}

}  // namespace

NSUserDefaults* NSUserDefaults::standardUserDefaults() {
  Standard& s = standard();
  std::lock_guard guard(s.lock);
  if (!s.path) s.path = defaultStandardPath();
  if (!s.current || s.current->path() != *s.path) {
    s.all.push_back(make<NSUserDefaults>(*s.path));
    s.current = s.all.back().get();
  }
  return s.current;
}

void NSUserDefaults::setStandardUserDefaultsPath(const std::string& path) {
  Standard& s = standard();
  std::lock_guard guard(s.lock);
  s.path = path;
}

void NSUserDefaults::resetStandardUserDefaultsForTesting() {
  Standard& s = standard();
  std::lock_guard guard(s.lock);
  s.current = nullptr;
}

NSUserDefaults::NSUserDefaults(std::string path)
    : path_(std::move(path)), registered_(make<NSMutableDictionary>()), persistent_(make<NSMutableDictionary>()) {
  load();
}

void NSUserDefaults::load() {
  if (path_.empty()) return;
  std::string why;
  std::optional<std::string> bytes = readAll(path_, why);
  if (bytes) {
    Ref<NSError> error;
    StrongId root = NSJSONSerialization::JSONObjectWithData_options_error(NSData::dataWithBytes(*bytes), 0, &error);
    if (auto* dict = objc_cast<NSDictionary>(root.get())) {
      for (const StrongId& key : dict->allKeys()) {
        id value = dict->objectForKey(key.get());
        if (!objc_cast<NSNull>(value)) persistent_->setObject_forKey(value, key.get());
      }
      return;
    }
    if (root) {
      why = std::string("the top level is not an object but ") + class_getName(object_getClass(root.get()));
    } else {
      auto* debug = objc_cast<NSString>(error->userInfo()->objectForKey("NSDebugDescription"_ns));
      why = "not JSON (" + utf8(debug) + ")";
    }
  }
  if (why.empty()) return;  // no file yet
  loadError_ = why;
  keepDamagedFile_ = true;
}

bool NSUserDefaults::saveLocked() {
  keepDamagedFile_ = false;
  if (path_.empty()) return true;
  Ref<NSError> error;
  Ref<NSData> data = NSJSONSerialization::dataWithJSONObject_options_error(
      persistent_, NSJSONWritingPrettyPrinted | NSJSONWritingSortedKeys, &error);
  std::string why = "cannot encode the values";
  const bool ok = data && replaceFileAtomically(path_, data->bytes() + "\n", why);
  saveError_ = ok ? std::string() : why;
  return ok;
}

StrongId NSUserDefaults::lookUpLocked(const NSString* key) const {
  if (!key) return nullptr;
  if (id stored = persistent_->objectForKey(const_cast<NSString*>(key))) return StrongId(stored);
  return StrongId(registered_->objectForKey(const_cast<NSString*>(key)));
}

void NSUserDefaults::registerDefaults(const NSDictionary* defaults) {
  if (!defaults) return;
  std::lock_guard guard(lock_);
  for (const StrongId& key : defaults->allKeys())
    registered_->setObject_forKey(objc_msgSend<StrongId>(defaults->objectForKey(key.get()), "copy"), key.get());
}

StrongId NSUserDefaults::objectForKey(const NSString* key) const {
  std::lock_guard guard(lock_);
  return lookUpLocked(key);
}

bool NSUserDefaults::boolForKey(const NSString* key) const {
  StrongId value = objectForKey(key);
  if (auto* n = objc_cast<NSNumber>(value.get())) return n->boolValue();
  if (auto* s = objc_cast<NSString>(value.get())) {
    if (s->caseInsensitiveCompare("YES"_ns) == NSOrderedSame || s->caseInsensitiveCompare("true"_ns) == NSOrderedSame)
      return true;
    return s->integerValue() != 0;
  }
  return false;
}

NSInteger NSUserDefaults::integerForKey(const NSString* key) const {
  StrongId value = objectForKey(key);
  if (auto* n = objc_cast<NSNumber>(value.get())) return n->integerValue();
  if (auto* s = objc_cast<NSString>(value.get())) return s->integerValue();
  return 0;
}

Ref<NSString> NSUserDefaults::stringForKey(const NSString* key) const {
  StrongId value = objectForKey(key);
  if (auto* s = objc_cast<NSString>(value.get())) return Ref<NSString>(s);
  if (auto* n = objc_cast<NSNumber>(value.get())) return n->stringValue();
  return nullptr;
}

void NSUserDefaults::setObject_forKey(id value, const NSString* key) {
  requireKey(key, "setObject:forKey:");
  if (!value) return removeObjectForKey(key);
  StrongId copy = storableCopy(value);  // outside the lock: it may be large
  std::lock_guard guard(lock_);
  persistent_->setObject_forKey(copy, const_cast<NSString*>(key));
  saveLocked();
}

void NSUserDefaults::setBool_forKey(bool value, const NSString* key) {
  setObject_forKey(NSNumber::numberWithBool(value), key);
}

void NSUserDefaults::setInteger_forKey(NSInteger value, const NSString* key) {
  setObject_forKey(NSNumber::numberWithInteger(value), key);
}

void NSUserDefaults::removeObjectForKey(const NSString* key) {
  requireKey(key, "removeObjectForKey:");
  std::lock_guard guard(lock_);
  if (!persistent_->objectForKey(const_cast<NSString*>(key))) return;  // nothing changes, nothing to save
  persistent_->removeObjectForKey(const_cast<NSString*>(key));
  saveLocked();
}

bool NSUserDefaults::synchronize() {
  std::lock_guard guard(lock_);
  if (keepDamagedFile_) return true;  // memory holds nothing the damaged file lacks
  return saveLocked();
}

std::string NSUserDefaults::lastLoadError() const {
  std::lock_guard guard(lock_);
  return loadError_;
}

std::string NSUserDefaults::lastSaveError() const {
  std::lock_guard guard(lock_);
  return saveError_;
}
