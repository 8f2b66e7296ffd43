// Method tables: lookup through superclasses, adding, replacing and hooking.

#include <mutex>
#include <shared_mutex>

#include "platform/objc/runtime_internal.h"

namespace {
Method ownMethod(Class cls, SEL name) {
  std::shared_lock guard(cls->lock);
  auto it = cls->methods.find(name);
  return it == cls->methods.end() ? nullptr : it->second.get();
}

Method findMethod(Class cls, SEL name) {
  for (Class c = cls; c; c = c->superclass)
    if (Method m = ownMethod(c, name)) return m;
  return nullptr;
}

IMP impOf(Class owner, Method m) {
  std::shared_lock guard(owner->lock);
  return m->imp;
}

Class ownerOf(Class cls, SEL name) {
  for (Class c = cls; c; c = c->superclass)
    if (ownMethod(c, name)) return c;
  return nullptr;
}

void checkTypes(const IMP& imp, const std::string& types, SEL name) {
  if (!objc::encodingsMatch(imp.types(), types))
    objc::fatal(std::string("method ") + sel_getName(name) + " declared as " + types +
                " but implemented as " + std::string(imp.types()));
}
}  // namespace

bool objc::encodingsMatch(std::string_view a, std::string_view b) {
  auto next = [](std::string_view s, size_t& i) {
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i < s.size() ? s[i++] : '\0';
  };
  size_t i = 0, j = 0;
  for (;;) {
    char x = next(a, i), y = next(b, j);
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

bool class_addMethod(Class cls, SEL name, IMP imp, const char* types) {
  if (!cls || !name || !imp || !types) return false;
  checkTypes(imp, types, name);
  std::unique_lock guard(cls->lock);
  if (cls->methods.count(name)) return false;
  cls->methods.emplace(name, std::make_unique<objc_method>(objc_method{name, imp, types, cls}));
  return true;
}

Method class_getInstanceMethod(Class cls, SEL name) {
  if (!cls || !name) return nullptr;
  return findMethod(cls, name);
}

Method class_getClassMethod(Class cls, SEL name) {
  if (!cls || !name) return nullptr;
  return findMethod(cls->isMeta ? cls : cls->isa, name);
}

IMP class_getMethodImplementation(Class cls, SEL name) {
  if (!cls || !name) return nullptr;
  Class owner = ownerOf(cls, name);
  return owner ? impOf(owner, ownMethod(owner, name)) : IMP();
}

bool class_respondsToSelector(Class cls, SEL name) { return cls && name && findMethod(cls, name); }

IMP method_getImplementation(Method m) { return m ? impOf(m->owner, m) : IMP(); }

SEL method_getName(Method m) { return m ? m->name : nullptr; }

const char* method_getTypeEncoding(Method m) { return m ? m->types.c_str() : nullptr; }

IMP method_setImplementation(Method m, IMP imp) {
  if (!m || !imp) return nullptr;
  checkTypes(imp, m->types, m->name);
  std::unique_lock guard(m->owner->lock);
  return std::exchange(m->imp, imp);
}

IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types) {
  if (!cls || !name || !imp) return nullptr;
  if (Method own = ownMethod(cls, name)) {
    checkTypes(imp, own->types, name);
    std::unique_lock guard(cls->lock);
    return std::exchange(own->imp, imp);
  }
  Method inherited = cls->superclass ? findMethod(cls->superclass, name) : nullptr;
  IMP previous = inherited ? impOf(ownerOf(cls->superclass, name), inherited) : IMP();
  std::string encoding = inherited ? inherited->types : (types ? types : "");
  if (encoding.empty()) return nullptr;
  checkTypes(imp, encoding, name);
  std::unique_lock guard(cls->lock);
  cls->methods.emplace(name, std::make_unique<objc_method>(objc_method{name, imp, encoding, cls}));
  return previous;
}

void MSHookMessageEx(Class cls, SEL name, IMP replacement, IMP* result) {
  if (result) *result = nullptr;
  if (!cls || !name || !replacement || !findMethod(cls, name)) return;
  IMP previous = class_replaceMethod(cls, name, replacement, nullptr);
  if (result) *result = previous;
}

IMP objc::lookUpImpOrDie(id self, SEL op) {
  Class cls = object_getClass(self);
  if (!cls) fatal(std::string("message ") + sel_getName(op) + " to an object without a class");
  if (Class owner = ownerOf(cls, op)) return impOf(owner, ownMethod(owner, op));
  const char* kind = cls->isMeta ? "+" : "-";
  fatal(std::string(kind) + "[" + cls->name + " " + sel_getName(op) + "]: unrecognized selector sent to " +
        (cls->isMeta ? "class" : "instance"));
}
