#include "platform/foundation/NSObject.h"

#include <fmt/format.h>

#include "platform/foundation/NSString.h"

bool NSObject::isEqual(id other) const { return other == this; }

NSUInteger NSObject::hash() const { return reinterpret_cast<uintptr_t>(this); }

Ref<NSString> NSObject::description() const {
  return NSString::stringWithUTF8String(fmt::format("<{}: {}>", className(), static_cast<const void*>(this)));
}

Ref<NSObject> NSObject::copy() const { return Ref<NSObject>(const_cast<NSObject*>(this)); }

bool NSObject::isKindOfClass(Class cls) const {
  if (!cls) return false;
  for (Class c = isa; c; c = class_getSuperclass(c))
    if (c == cls) return true;
  return false;
}

bool NSObject::isMemberOfClass(Class cls) const { return cls && isa == cls; }

bool NSObject::respondsToSelector(SEL sel) const { return class_respondsToSelector(isa, sel); }

// Collections hash and compare every key through these: the selectors are
// looked up once, not by name on every call.
bool objc_isEqual(id a, id b) {
  if (!a || !b) return false;
  if (a == b) return true;
  static SEL const isEqual = sel_registerName("isEqual:");
  return objc_msgSend<bool>(a, isEqual, b);
}

NSUInteger objc_hash(id a) {
  static SEL const hash = sel_registerName("hash");
  return a ? objc_msgSend<NSUInteger>(a, hash) : 0;
}

namespace {
// Class objects answer root instance methods too but are not NSObjects;
// they get identity semantics.
NSObject* self_(id self) { return dynamic_cast<NSObject*>(self); }

void dealloc(id self, SEL) { object_dispose(self); }
bool isEqual(id self, SEL, id other) {
  NSObject* o = self_(self);
  return o ? o->isEqual(other) : self == other;
}
NSUInteger hash(id self, SEL) {
  NSObject* o = self_(self);
  return o ? o->hash() : reinterpret_cast<uintptr_t>(self);
}
StrongId description(id self, SEL) {
  NSObject* o = self_(self);
  return o ? StrongId(o->description()) : StrongId(NSString::stringWithUTF8String(class_getName(object_getClass(self))));
}
StrongId copy(id self, SEL) {
  NSObject* o = self_(self);
  return o ? StrongId(o->copy()) : StrongId(self);
}
bool isKindOfClass(id self, SEL, Class cls) {
  for (Class c = object_getClass(self); c; c = class_getSuperclass(c))
    if (c == cls) return true;
  return false;
}
bool isMemberOfClass(id self, SEL, Class cls) { return cls && object_getClass(self) == cls; }
bool respondsToSelector(id self, SEL, SEL sel) { return class_respondsToSelector(object_getClass(self), sel); }
Class classOfInstance(id self, SEL) { return object_getClass(self); }
StrongId init(id self, SEL) { return StrongId(self); }
StrongId retainSelf(id self, SEL) { return StrongId(self); }

// Class methods: the receiver is the class object.
StrongId alloc(id self, SEL) { return StrongId::adopt(class_createInstance(object_asClass(self), 0)); }
StrongId newInstance(id self, SEL) {
  StrongId obj = StrongId::adopt(class_createInstance(object_asClass(self), 0));
  return obj ? objc_msgSend<StrongId>(obj, "init") : nullptr;
}
Class classOfClass(id self, SEL) { return object_asClass(self); }
StrongId classDescription(id self, SEL) {
  return NSString::stringWithUTF8String(class_getName(object_asClass(self)));
}

void add(Class cls, const char* name, IMP imp) {
  class_addMethod(cls, sel_registerName(name), imp, std::string(imp.types()).c_str());
}
}  // namespace

void registerNSObjectClass() {
  Class cls = objc::registerClass<NSObject>("NSObject", nullptr);
  objc::registerRootClass(cls);
  add(cls, "dealloc", &dealloc);
  add(cls, "isEqual:", &isEqual);
  add(cls, "hash", &hash);
  add(cls, "description", &description);
  add(cls, "copy", &copy);
  add(cls, "isKindOfClass:", &isKindOfClass);
  add(cls, "isMemberOfClass:", &isMemberOfClass);
  add(cls, "respondsToSelector:", &respondsToSelector);
  add(cls, "class", &classOfInstance);
  add(cls, "init", &init);
  add(cls, "self", &retainSelf);
  Class meta = object_getClass(class_asObject(cls));
  add(meta, "alloc", &alloc);
  add(meta, "new", &newInstance);
  add(meta, "class", &classOfClass);
  add(meta, "description", &classDescription);
}
