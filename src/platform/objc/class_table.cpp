// The class table: classes by run-time name, metaclasses, run-time subclasses.

#include <mutex>
#include <shared_mutex>

#include "platform/objc/runtime_internal.h"

namespace {
struct ClassTable {
  std::shared_mutex lock;
  std::unordered_map<std::string, Class> byName;
  Class rootMeta = nullptr;
};
ClassTable& classTable() {
  static ClassTable* t = new ClassTable;  // classes live for the process
  return *t;
}

// A class and its metaclass; class methods live in the metaclass, whose
// superclass chain ends in the root class so classes answer root messages too.
Class makePair(const char* name, Class superclass, objc::Factory factory) {
  auto* meta = new objc_class;
  auto* cls = new objc_class;
  meta->makeImmortal();
  cls->makeImmortal();
  meta->name = name;
  meta->isMeta = true;
  cls->name = name;
  cls->superclass = superclass;
  cls->factory = factory ? factory : (superclass ? superclass->factory : nullptr);
  cls->isa = meta;
  if (superclass) {
    meta->superclass = superclass->isa;
    meta->isa = superclass->isa->isa ? superclass->isa->isa : superclass->isa;
  } else {
    meta->superclass = cls;  // the root metaclass inherits the root class
    meta->isa = meta;
  }
  return cls;
}

bool insert(Class cls) {
  ClassTable& t = classTable();
  std::unique_lock guard(t.lock);
  return t.byName.emplace(cls->name, cls).second;
}
}  // namespace

Class objc::registerClassWithFactory(const char* name, Class superclass, Factory factory) {
  if (!name) return nullptr;
  Class cls = makePair(name, superclass, factory);
  if (!insert(cls)) fatal(std::string("class registered twice: ") + name);
  cls->registered = true;
  return cls;
}

void objc::registerRootClass(Class root) { classTable().rootMeta = root ? root->isa : nullptr; }

Class objc_getClass(const char* name) {
  if (!name) return nullptr;
  ClassTable& t = classTable();
  std::shared_lock guard(t.lock);
  auto it = t.byName.find(name);
  return it == t.byName.end() ? nullptr : it->second;
}

Class objc_lookUpClass(const char* name) { return objc_getClass(name); }

id class_asObject(Class cls) { return cls; }

Class object_asClass(id obj) { return dynamic_cast<Class>(obj); }

Class object_getClass(id obj) { return obj ? obj->isa : nullptr; }

const char* class_getName(Class cls) { return cls ? cls->name.c_str() : "nil"; }

Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }

bool class_isMetaClass(Class cls) { return cls && cls->isMeta; }

Class objc_allocateClassPair(Class superclass, const char* name, size_t /*extraBytes*/) {
  if (!name || objc_getClass(name)) return nullptr;
  return makePair(name, superclass, nullptr);
}

void objc_registerClassPair(Class cls) {
  if (!cls || cls->registered || cls->isMeta) return;
  if (insert(cls)) cls->registered = true;
}

id class_createInstance(Class cls, size_t /*extraBytes*/) {
  if (!cls || cls->isMeta || !cls->factory) return nullptr;
  objc_object* obj = cls->factory();
  obj->isa = cls;
  return obj;
}

std::vector<std::string> objc_copyClassNames() {
  ClassTable& t = classTable();
  std::shared_lock guard(t.lock);
  std::vector<std::string> names;
  for (const auto& [name, cls] : t.byName) names.push_back(name);
  return names;
}
