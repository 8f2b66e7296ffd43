#pragma once
// The added-member mechanism: properties and methods that the module adds to
// host classes at load, and the method replacement that keeps the host's
// implementation so a replacement can call through.
//
// Used by the initialisers on the loading thread, before the host uses the
// classes. Every call is safe on a nil class (a class the running host lacks):
// nothing is added or replaced. A failed addition (the class already has a
// member of that name) is ignored, as the initialisers ignore it.
//
// An added property's value lives in an associated object on the instance
// (retain-nonatomic), under a key unique to that property of that class, and
// is released with the instance. A property never set reads nil, 0 or NO.

#include "platform/objc/message.h"

enum class CXPropertyKind {
  Object,   // "@": the object itself; nil clears it
  Integer,  // "q": a 64-bit signed integer, boxed in an NSValue of "q"
  Boolean,  // "B": boxed in an NSValue of "B"
};

// One added property of one host class. The descriptor's address is the
// association key, so declare one per property per class, as a namespace-scope
// constexpr object (static storage, distinct address).
struct CXAddedProperty {
  const char* name;                 // also the getter; the setter is "set<name>:"
  CXPropertyKind kind;
  const char* className = nullptr;  // object properties: the declared class
};

namespace cx::detail {
void addProperty(Class cls, const CXAddedProperty& property, IMP getter, IMP setter);
StrongId boxInteger(long value);
StrongId boxBoolean(bool value);
long unboxInteger(id boxed);
bool unboxBoolean(id boxed);

template <const CXAddedProperty& P>
struct Accessors {
  static StrongId getObject(id self, SEL) { return objc_getAssociatedObject(self, &P); }
  static void setObject(id self, SEL, id value) {
    objc_setAssociatedObject(self, &P, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
  static long getInteger(id self, SEL) { return unboxInteger(objc_getAssociatedObject(self, &P).get()); }
  static void setInteger(id self, SEL, long value) {
    objc_setAssociatedObject(self, &P, boxInteger(value).get(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
  static bool getBoolean(id self, SEL) { return unboxBoolean(objc_getAssociatedObject(self, &P).get()); }
  static void setBoolean(id self, SEL, bool value) {
    objc_setAssociatedObject(self, &P, boxBoolean(value).get(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
};
}  // namespace cx::detail

// Declares P on cls (class_addProperty with its attribute list: T<type>,&,N
// for objects, T<type>,N otherwise), then adds its getter ("%s@:") and setter
// ("v@:%s") with the property's type code ("@", "q" or "B").
template <const CXAddedProperty& P>
void CXAddProperty(Class cls) {
  using A = cx::detail::Accessors<P>;
  if constexpr (P.kind == CXPropertyKind::Object)
    cx::detail::addProperty(cls, P, IMP(&A::getObject), IMP(&A::setObject));
  else if constexpr (P.kind == CXPropertyKind::Integer)
    cx::detail::addProperty(cls, P, IMP(&A::getInteger), IMP(&A::setInteger));
  else
    cx::detail::addProperty(cls, P, IMP(&A::getBoolean), IMP(&A::setBoolean));
}

// Adds a method under types ("v@:@", "v@:B", "v@:@@"), which must describe
// imp's real type: a mismatch is a loud programming error.
void CXAddMethod(Class cls, const char* selector, IMP imp, const char* types);

// Replaces cls's selector with replacement (MSHookMessageEx) and keeps the
// implementation it had, its own or inherited, in *saved: the hook's own
// process-wide slot, through which the replacement calls the host's code. A
// class that does not answer selector is left alone and *saved stays null.
// replacement must have the method's encoding: a mismatch is a loud error.
void CXHookMessage(Class cls, const char* selector, IMP replacement, IMP* saved);
