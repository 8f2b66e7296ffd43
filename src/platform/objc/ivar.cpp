// Instance variables by name. C++ classes declare theirs with accessors, so
// reading one by name reaches the real member.

#include <mutex>
#include <shared_mutex>

#include "platform/objc/runtime_internal.h"

bool class_addIvar(Class cls, const char* name, const char* types, IvarGetter get, IvarSetter set) {
  if (!cls || !name || !types || !get) return false;
  std::unique_lock guard(cls->lock);
  for (const auto& v : cls->ivars)
    if (v->name == name) return false;
  cls->ivars.push_back(std::make_unique<objc_ivar>(objc_ivar{name, types, std::move(get), std::move(set)}));
  return true;
}

Ivar class_getInstanceVariable(Class cls, const char* name) {
  if (!name) return nullptr;
  for (Class c = cls; c; c = c->superclass) {
    std::shared_lock guard(c->lock);
    for (const auto& v : c->ivars)
      if (v->name == name) return v.get();
  }
  return nullptr;
}

Ivar object_getInstanceVariable(id obj, const char* name) {
  return class_getInstanceVariable(object_getClass(obj), name);
}

const char* ivar_getName(Ivar v) { return v ? v->name.c_str() : nullptr; }

const char* ivar_getTypeEncoding(Ivar v) { return v ? v->types.c_str() : nullptr; }

StrongId object_getIvar(id obj, Ivar v) { return obj && v ? v->get(obj) : nullptr; }

void object_setIvar(id obj, Ivar v, id value) {
  if (obj && v && v->set) v->set(obj, value);
}
