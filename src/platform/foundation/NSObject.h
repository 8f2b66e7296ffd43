#pragma once
// The root class. C++ code calls these members directly; the same behaviour
// is reachable by message ("isEqual:", "hash", "description", ...) through
// the run time, so host-style code and hooks see one object model.

#include <cstdint>

#include "platform/objc/class.h"

class NSString;

using BOOL = bool;
constexpr bool YES = true;
constexpr bool NO = false;
using NSInteger = long;
using NSUInteger = unsigned long;
using CGFloat = double;

class NSObject : public objc_object {
 public:
  // Identity unless a class compares by value (strings, numbers, collections).
  virtual bool isEqual(id other) const;
  // Equal objects have equal hashes.
  virtual NSUInteger hash() const;
  // "<ClassName: 0x...>" unless a class says better.
  virtual Ref<NSString> description() const;
  // Immutable classes return themselves; mutable ones an immutable copy.
  virtual Ref<NSObject> copy() const;

  bool isKindOfClass(Class cls) const;
  bool isMemberOfClass(Class cls) const;
  bool respondsToSelector(SEL sel) const;
  const char* className() const { return class_getName(isa); }
};

using NSObjectRef = Ref<NSObject>;

// isEqual: through the run time for any two objects (nil equals nothing).
bool objc_isEqual(id a, id b);
NSUInteger objc_hash(id a);

// Registers the root class and its run-time methods. Called once, first, by
// the platform's start-up.
void registerNSObjectClass();
