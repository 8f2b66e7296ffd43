// Method tables: lookup through superclasses, adding, replacing and hooking.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>

#include "platform/objc/runtime_internal.h"

namespace {
// Every change to any method table bumps the generation; a cached answer is
// good only for the generation it was found in. Bumped after the change is
// made, so a thread that sees the new generation also sees the change.
std::atomic<std::uint64_t> methodGeneration{1};

void methodsChanged() { methodGeneration.fetch_add(1, std::memory_order_release); }

// Each thread keeps the implementations it has looked up, so a message send
// normally takes no lock: a direct-mapped table keyed by (class, selector).
// Per thread rather than per class, so no reader ever sees a table being
// written and none has to be freed while another thread reads it.
struct CachedImp {
  Class cls = nullptr;
  SEL name = nullptr;
  std::uint64_t generation = 0;
  IMP imp;
};
constexpr std::size_t kCacheSlots = 1024;
struct MethodCache {
  std::array<CachedImp, kCacheSlots> slots{};
};
thread_local MethodCache threadCache;

CachedImp& cacheSlot(Class cls, SEL name) {
  const auto key = (reinterpret_cast<std::uintptr_t>(cls) >> 4) * 31 + (reinterpret_cast<std::uintptr_t>(name) >> 4);
  return threadCache.slots[(key ^ (key >> 10)) % kCacheSlots];
}

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
  {
    std::unique_lock guard(cls->lock);
    if (cls->methods.count(name)) return false;
    cls->methods.emplace(name, std::make_unique<objc_method>(objc_method{name, imp, types, cls}));
  }
  methodsChanged();
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
  IMP previous;
  {
    std::unique_lock guard(m->owner->lock);
    previous = std::exchange(m->imp, imp);
  }
  methodsChanged();
  return previous;
}

IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types) {
  if (!cls || !name || !imp) return nullptr;
  if (Method own = ownMethod(cls, name)) {
    checkTypes(imp, own->types, name);
    IMP previous;
    {
      std::unique_lock guard(cls->lock);
      previous = std::exchange(own->imp, imp);
    }
    methodsChanged();
    return previous;
  }
  Method inherited = cls->superclass ? findMethod(cls->superclass, name) : nullptr;
  IMP previous = inherited ? impOf(ownerOf(cls->superclass, name), inherited) : IMP();
  std::string encoding = inherited ? inherited->types : (types ? types : "");
  if (encoding.empty()) return nullptr;
  checkTypes(imp, encoding, name);
  {
    std::unique_lock guard(cls->lock);
    cls->methods.emplace(name, std::make_unique<objc_method>(objc_method{name, imp, encoding, cls}));
  }
  methodsChanged();
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
  // Read before the tables: an answer found while a change is being made is
  // then cached under the old generation and not used again.
  const std::uint64_t generation = methodGeneration.load(std::memory_order_acquire);
  CachedImp& slot = cacheSlot(cls, op);
  if (slot.cls == cls && slot.name == op && slot.generation == generation) return slot.imp;
  if (Class owner = ownerOf(cls, op)) {
    IMP imp = impOf(owner, ownMethod(owner, op));
    slot = CachedImp{cls, op, generation, imp};
    return imp;
  }
  const char* kind = cls->isMeta ? "+" : "-";
  fatal(std::string(kind) + "[" + cls->name + " " + sel_getName(op) + "]: unrecognized selector sent to " +
        (cls->isMeta ? "class" : "instance"));
}
