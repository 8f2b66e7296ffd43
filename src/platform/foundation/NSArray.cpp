#include "platform/foundation/NSArray.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/foundation/NSString.h"

namespace {
void requireObject(id object, const char* what) {
  if (!object) objc::fatal(fmt::format("{}: attempt to insert nil", what));
}
std::string describe(id o) {
  Ref<NSString> d = objc_msgSend<Ref<NSString>>(o, "description");
  return utf8(d.get());
}
}  // namespace

// --- NSArray -----------------------------------------------------------------------

Ref<NSArray> NSArray::array() { return make<NSArray>(); }

Ref<NSArray> NSArray::arrayWithObjects(std::initializer_list<StrongId> items) {
  for (const auto& i : items) requireObject(i.get(), "arrayWithObjects");
  return make<NSArray>(std::vector<StrongId>(items));
}

id NSArray::objectAtIndex(NSUInteger index) const {
  if (index >= items_.size())
    objc::fatal(fmt::format("objectAtIndex: index {} beyond bounds [0 .. {}]", index, items_.size()));
  return items_[index].get();
}

bool NSArray::containsObject(id object) const { return indexOfObject(object) != static_cast<NSUInteger>(NSNotFound); }

NSUInteger NSArray::indexOfObject(id object) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (objc_isEqual(items_[i].get(), object)) return i;
  return static_cast<NSUInteger>(NSNotFound);
}

Ref<NSArray> NSArray::copyArray() const {
  if (isMemberOfClass(objc::classOf<NSArray>())) return Ref<NSArray>(const_cast<NSArray*>(this));
  return make<NSArray>(items_);
}

Ref<NSMutableArray> NSArray::mutableCopy() const { return make<NSMutableArray>(items_); }

Ref<NSObject> NSArray::copy() const { return copyArray(); }

bool NSArray::isEqual(id other) const {
  auto* a = dynamic_cast<const NSArray*>(other);
  if (!a || a->items_.size() != items_.size()) return false;
  for (size_t i = 0; i < items_.size(); ++i)
    if (!objc_isEqual(items_[i].get(), a->items_[i].get())) return false;
  return true;
}

Ref<NSString> NSArray::description() const {
  std::string out = "(";
  for (size_t i = 0; i < items_.size(); ++i) out += (i ? ", " : "") + describe(items_[i].get());
  return NSString::stringWithUTF8String(out + ")");
}

Ref<NSMutableArray> NSMutableArray::array() { return make<NSMutableArray>(); }

Ref<NSMutableArray> NSMutableArray::arrayWithCapacity(NSUInteger capacity) {
  auto a = make<NSMutableArray>();
  a->items_.reserve(capacity);
  return a;
}

void NSMutableArray::addObject(id object) {
  requireObject(object, "addObject:");
  items_.emplace_back(object);
}

void NSMutableArray::insertObject_atIndex(id object, NSUInteger index) {
  requireObject(object, "insertObject:atIndex:");
  if (index > items_.size()) objc::fatal(fmt::format("insertObject:atIndex: index {} beyond bounds", index));
  items_.insert(items_.begin() + static_cast<long>(index), StrongId(object));
}

void NSMutableArray::removeObject(id object) {
  std::erase_if(items_, [&](const StrongId& i) { return objc_isEqual(i.get(), object); });
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index) {
  if (index >= items_.size()) objc::fatal(fmt::format("removeObjectAtIndex: index {} beyond bounds", index));
  items_.erase(items_.begin() + static_cast<long>(index));
}

void NSMutableArray::removeLastObject() {
  if (!items_.empty()) items_.pop_back();
}

// --- NSDictionary ------------------------------------------------------------------

Ref<NSDictionary> NSDictionary::dictionary() { return make<NSDictionary>(); }

Ref<NSDictionary> NSDictionary::dictionaryWithObjectsAndKeys(std::initializer_list<std::pair<StrongId, StrongId>> pairs) {
  auto d = make<NSDictionary>();
  for (const auto& [key, value] : pairs) d->set(key.get(), value.get());
  return d;
}

NSDictionary::NSDictionary(std::unique_ptr<const NSDictionaryMembers> members)
    : members_(std::move(members)), made_(std::make_unique<std::atomic<objc_object*>[]>(members_->count())) {}

NSDictionary::~NSDictionary() {
  if (!members_) return;
  for (NSUInteger i = 0; i < members_->count(); ++i)
    if (objc_object* value = made_[i].load(std::memory_order_relaxed)) value->release();
}

id NSDictionary::memberValue(NSUInteger index) const {
  std::atomic<objc_object*>& slot = made_[index];
  if (objc_object* value = slot.load(std::memory_order_acquire)) return value;
  StrongId made = members_->valueAt(index);
  objc_object* expected = nullptr;
  if (slot.compare_exchange_strong(expected, made.get(), std::memory_order_acq_rel)) return made.leak();
  return expected;  // another thread made it first; ours goes
}

void NSDictionary::takeAllMembers() {
  const NSUInteger count = members_->count();
  keys_.reserve(count);
  map_.reserve(count);
  for (NSUInteger i = 0; i < count; ++i) {
    StrongId key = members_->keyAt(i);
    id value = memberValue(i);
    auto [it, added] = map_.try_emplace(key, value);
    if (added) keys_.push_back(std::move(key));
    else it->second = StrongId(value);  // a repeated key: first place, last value
  }
}

id NSDictionary::objectForKey(id key) const {
  if (!key) return nullptr;
  if (members_) {
    const NSUInteger index = members_->indexOfKey(key);
    return index < members_->count() ? memberValue(index) : nullptr;
  }
  auto it = map_.find(StrongId(key));
  return it == map_.end() ? nullptr : it->second.get();
}

std::vector<StrongId> NSDictionary::allValues() const {
  makeWhole();
  std::vector<StrongId> values;
  for (const auto& k : keys_) values.push_back(map_.at(k));
  return values;
}

void NSDictionary::set(id key, id value) {
  requireObject(key, "setObject:forKey: key");
  requireObject(value, "setObject:forKey: value");
  static SEL const copy = sel_registerName("copy");
  StrongId k = objc_msgSend<StrongId>(key, copy);
  auto it = map_.find(k);
  if (it != map_.end()) {
    it->second = StrongId(value);
    return;
  }
  keys_.push_back(k);
  map_.emplace(k, StrongId(value));
}

void NSDictionary::setAll(const StrongId* objects, const StrongId* keys, NSUInteger count) {
  keys_.reserve(count);
  map_.reserve(count);
  for (NSUInteger i = 0; i < count; ++i) set(keys[i].get(), objects[i].get());
}

Ref<NSDictionary> NSDictionary::dictionaryWithObjects_forKeys_count(const StrongId* objects, const StrongId* keys,
                                                                    NSUInteger count) {
  auto d = make<NSDictionary>();
  d->setAll(objects, keys, count);
  return d;
}

Ref<NSMutableDictionary> NSMutableDictionary::dictionaryWithObjects_forKeys_count(const StrongId* objects,
                                                                                  const StrongId* keys,
                                                                                  NSUInteger count) {
  auto d = make<NSMutableDictionary>();
  d->setAll(objects, keys, count);
  return d;
}

void NSDictionary::remove(id key) {
  if (!key) return;
  auto it = map_.find(StrongId(key));
  if (it == map_.end()) return;
  StrongId stored = it->first;
  map_.erase(it);
  std::erase_if(keys_, [&](const StrongId& k) { return k.get() == stored.get(); });
}

Ref<NSDictionary> NSDictionary::copyDictionary() const {
  if (isMemberOfClass(objc::classOf<NSDictionary>())) return Ref<NSDictionary>(const_cast<NSDictionary*>(this));
  makeWhole();
  auto d = make<NSDictionary>();
  d->keys_ = keys_;
  d->map_ = map_;
  return d;
}

Ref<NSMutableDictionary> NSDictionary::mutableCopy() const {
  makeWhole();
  auto d = make<NSMutableDictionary>();
  d->keys_ = keys_;
  d->map_ = map_;
  return d;
}

Ref<NSObject> NSDictionary::copy() const { return copyDictionary(); }

bool NSDictionary::isEqual(id other) const {
  auto* d = dynamic_cast<const NSDictionary*>(other);
  if (!d || d->count() != count()) return false;  // count() makes both whole
  for (const auto& [k, v] : map_)
    if (!objc_isEqual(d->objectForKey(k.get()), v.get())) return false;
  return true;
}

Ref<NSString> NSDictionary::description() const {
  makeWhole();
  std::string out = "{";
  for (const auto& k : keys_) out += fmt::format("\n    {} = {};", describe(k.get()), describe(map_.at(k).get()));
  return NSString::stringWithUTF8String(out + (keys_.empty() ? "}" : "\n}"));
}

Ref<NSMutableDictionary> NSMutableDictionary::dictionary() { return make<NSMutableDictionary>(); }

Ref<NSMutableDictionary> NSMutableDictionary::dictionaryWithCapacity(NSUInteger capacity) {
  auto d = make<NSMutableDictionary>();
  d->map_.reserve(capacity);
  return d;
}

void NSMutableDictionary::setObject_forKey(id object, id key) { set(key, object); }

void NSMutableDictionary::removeObjectForKey(id key) { remove(key); }

void NSMutableDictionary::removeAllObjects() {
  map_.clear();
  keys_.clear();
}
