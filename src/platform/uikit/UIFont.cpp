#include "platform/uikit/UIFont.h"

#include <fmt/format.h>

#include <mutex>
#include <set>

namespace {
struct Registry {
  std::mutex lock;
  std::set<std::string> names{kUISystemFontName, kUIBoldSystemFontName};
};
Registry& registry() {
  static Registry* r = new Registry;  // lives for the process: fonts may be asked for at exit
  return *r;
}
bool isSystemName(const std::string& name) { return name == kUISystemFontName || name == kUIBoldSystemFontName; }
}  // namespace

Ref<UIFont> UIFont::fontWithName_size(const NSString* name, CGFloat size) {
  if (!name || !isFontNameRegistered(name->UTF8String())) return nullptr;
  return make<UIFont>(Ref<NSString>(const_cast<NSString*>(name)), size);
}

Ref<UIFont> UIFont::systemFontOfSize(CGFloat size) {
  return make<UIFont>(NSString::stringWithUTF8String(kUISystemFontName), size);
}

Ref<UIFont> UIFont::boldSystemFontOfSize(CGFloat size) {
  return make<UIFont>(NSString::stringWithUTF8String(kUIBoldSystemFontName), size);
}

void UIFont::registerFontName(const std::string& name) {
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  r.names.insert(name);
}

void UIFont::unregisterFontName(const std::string& name) {
  if (isSystemName(name)) return;
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  r.names.erase(name);
}

bool UIFont::isFontNameRegistered(const std::string& name) {
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  return r.names.count(name) > 0;
}

bool UIFont::isEqual(id other) const {
  auto* o = objc_cast<UIFont>(other);
  return o && o->pointSize_ == pointSize_ && objc_isEqual(o->name_.get(), name_.get());
}

NSUInteger UIFont::hash() const { return objc_hash(name_.get()) ^ std::hash<double>()(pointSize_); }

Ref<NSString> UIFont::description() const {
  return NSString::stringWithUTF8String(fmt::format("<UIFont: font-family \"{}\"; font-size: {:g}pt>", utf8(name_.get()), pointSize_));
}

bool UIFontEqual(const UIFont* a, const UIFont* b) {
  if (a == b) return true;
  return a && b && a->isEqual(const_cast<UIFont*>(b));
}
