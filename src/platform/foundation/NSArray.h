#pragma once
// NSArray / NSMutableArray and NSDictionary / NSMutableDictionary.
// Elements are strong references and never nil. Keys compare by isEqual: and
// hash, so value-equal strings and numbers find the same entry. Dictionaries
// keep insertion order for enumeration (the device's order is unspecified).
// Like the device's, these are not synchronised: one thread at a time.

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/foundation/NSObject.h"

class NSArray : public NSObject {
 public:
  NSArray() = default;
  explicit NSArray(std::vector<StrongId> items) : items_(std::move(items)) {}

  static Ref<NSArray> array();
  static Ref<NSArray> arrayWithObjects(std::initializer_list<StrongId> items);

  NSUInteger count() const { return items_.size(); }
  // Out of range: programming error, as the device raises.
  id objectAtIndex(NSUInteger index) const;
  id firstObject() const { return items_.empty() ? nullptr : items_.front().get(); }
  id lastObject() const { return items_.empty() ? nullptr : items_.back().get(); }
  bool containsObject(id object) const;
  NSUInteger indexOfObject(id object) const;  // NSNotFound when absent
  const std::vector<StrongId>& objects() const { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  // An immutable copy (NSArray), whatever this array is.
  Ref<NSArray> copyArray() const;
  Ref<class NSMutableArray> mutableCopy() const;
  Ref<NSObject> copy() const override;
  bool isEqual(id other) const override;
  NSUInteger hash() const override { return items_.size(); }
  Ref<NSString> description() const override;

 protected:
  std::vector<StrongId> items_;
};

class NSMutableArray : public NSArray {
 public:
  using NSArray::NSArray;
  static Ref<NSMutableArray> array();
  static Ref<NSMutableArray> arrayWithCapacity(NSUInteger capacity);

  void addObject(id object);  // nil: programming error
  void insertObject_atIndex(id object, NSUInteger index);
  void removeObject(id object);  // every equal element
  void removeObjectAtIndex(NSUInteger index);
  void removeLastObject();
  void removeAllObjects() { items_.clear(); }
};

// The members of an immutable dictionary that are still where they were
// read from (a parsed JSON document). The dictionary makes a value the first
// time it is asked for, and all of them only when the whole is needed, so an
// answer costs only what is read from it.
class NSDictionaryMembers {
 public:
  virtual ~NSDictionaryMembers() = default;
  // Members as written, repeated keys included.
  virtual NSUInteger count() const = 0;
  // The last member whose key isEqual: key (a repeated key keeps its last
  // value), or count() when there is none.
  virtual NSUInteger indexOfKey(id key) const = 0;
  virtual StrongId keyAt(NSUInteger index) const = 0;
  virtual StrongId valueAt(NSUInteger index) const = 0;
};

class NSDictionary : public NSObject {
 public:
  NSDictionary() = default;
  // Immutable, over members made on first use. Reading it from several
  // threads at once is safe, as for any immutable dictionary.
  explicit NSDictionary(std::unique_ptr<const NSDictionaryMembers> members);
  ~NSDictionary() override;

  static Ref<NSDictionary> dictionary();
  static Ref<NSDictionary> dictionaryWithObjectsAndKeys(std::initializer_list<std::pair<StrongId, StrongId>> pairs);
  // objects[i] under keys[i], keys copied; a repeated key keeps its first
  // place and its last object. A nil key or object: programming error.
  static Ref<NSDictionary> dictionaryWithObjects_forKeys_count(const StrongId* objects, const StrongId* keys,
                                                               NSUInteger count);

  NSUInteger count() const {
    makeWhole();
    return keys_.size();
  }
  // nil when absent.
  id objectForKey(id key) const;
  const std::vector<StrongId>& allKeys() const {
    makeWhole();
    return keys_;
  }
  std::vector<StrongId> allValues() const;

  Ref<NSDictionary> copyDictionary() const;
  Ref<class NSMutableDictionary> mutableCopy() const;
  Ref<NSObject> copy() const override;
  bool isEqual(id other) const override;
  NSUInteger hash() const override { return count(); }
  Ref<NSString> description() const override;

 protected:
  struct KeyHash {
    size_t operator()(const StrongId& k) const { return objc_hash(k.get()); }
  };
  struct KeyEq {
    bool operator()(const StrongId& a, const StrongId& b) const { return objc_isEqual(a.get(), b.get()); }
  };
  void set(id key, id value);
  void remove(id key);
  void setAll(const StrongId* objects, const StrongId* keys, NSUInteger count);

  // Fills keys_ and map_ from members still unread; only a dictionary made
  // over NSDictionaryMembers has any.
  void makeWhole() const {
    if (members_) std::call_once(madeWhole_, [this] { const_cast<NSDictionary*>(this)->takeAllMembers(); });
  }

  std::vector<StrongId> keys_;  // insertion order
  std::unordered_map<StrongId, StrongId, KeyHash, KeyEq> map_;

 private:
  id memberValue(NSUInteger index) const;
  void takeAllMembers();

  std::unique_ptr<const NSDictionaryMembers> members_;
  // The values made so far, one +1 reference each; a value is made once
  // even when two threads ask for it together.
  std::unique_ptr<std::atomic<objc_object*>[]> made_;
  mutable std::once_flag madeWhole_;
};

class NSMutableDictionary : public NSDictionary {
 public:
  static Ref<NSMutableDictionary> dictionary();
  static Ref<NSMutableDictionary> dictionaryWithCapacity(NSUInteger capacity);
  static Ref<NSMutableDictionary> dictionaryWithObjects_forKeys_count(const StrongId* objects, const StrongId* keys,
                                                                      NSUInteger count);

  // Keys are copied, as the device does; nil key or value: programming error.
  void setObject_forKey(id object, id key);
  void removeObjectForKey(id key);
  void removeAllObjects();
};
