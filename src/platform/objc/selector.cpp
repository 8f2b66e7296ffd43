#include <mutex>
#include <unordered_map>

#include "platform/objc/runtime_internal.h"

namespace {
struct SelectorTable {
  std::mutex lock;
  std::unordered_map<std::string, std::unique_ptr<objc_selector>> byName;
};
SelectorTable& selectorTable() {
  static SelectorTable* t = new SelectorTable;  // lives for the process: SELs are never freed
  return *t;
}
}  // namespace

SEL sel_registerName(const char* name) {
  if (!name) return nullptr;
  SelectorTable& t = selectorTable();
  std::lock_guard guard(t.lock);
  auto [it, inserted] = t.byName.try_emplace(name);
  if (inserted) it->second = std::make_unique<objc_selector>(objc_selector{name});
  return it->second.get();
}

const char* sel_getName(SEL sel) { return sel ? sel->name.c_str() : "<null selector>"; }
