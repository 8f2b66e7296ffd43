// Associated objects: a side table from owner to (key -> value, policy).

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/objc/runtime_internal.h"

namespace {
struct Association {
  const void* key;
  id value;  // retained unless the policy is assign
  bool retained;
};

struct AssociationTable {
  std::mutex lock;
  std::unordered_map<id, std::vector<Association>> byOwner;
};

AssociationTable& table() {
  static AssociationTable* t = new AssociationTable;
  return *t;
}

bool retains(objc_AssociationPolicy policy) { return policy != OBJC_ASSOCIATION_ASSIGN; }
}  // namespace

void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy) {
  if (!object || !key) return;
  bool retained = retains(policy);
  if (value && retained) value->retain();
  Association old{key, nullptr, false};
  {
    AssociationTable& t = table();
    std::lock_guard guard(t.lock);
    auto& list = t.byOwner[object];
    auto it = std::find_if(list.begin(), list.end(), [&](const Association& a) { return a.key == key; });
    if (it != list.end()) {
      old = *it;
      if (value)
        *it = Association{key, value, retained};
      else
        list.erase(it);
    } else if (value) {
      list.push_back(Association{key, value, retained});
      object->noteAssociation();
    }
    if (list.empty()) t.byOwner.erase(object);
  }
  // Released outside the lock: the old value's dealloc may touch the table.
  if (old.value && old.retained) old.value->release();
}

StrongId objc_getAssociatedObject(id object, const void* key) {
  if (!object || !key) return nullptr;
  AssociationTable& t = table();
  std::lock_guard guard(t.lock);
  auto found = t.byOwner.find(object);
  if (found == t.byOwner.end()) return nullptr;
  for (const Association& a : found->second)
    if (a.key == key) return StrongId(a.value);
  return nullptr;
}

void objc_removeAssociatedObjects(id object) {
  if (!object || !object->mayHaveAssociations()) return;
  std::vector<Association> removed;
  {
    AssociationTable& t = table();
    std::lock_guard guard(t.lock);
    auto found = t.byOwner.find(object);
    if (found == t.byOwner.end()) return;
    removed = std::move(found->second);
    t.byOwner.erase(found);
  }
  for (const Association& a : removed)
    if (a.retained) a.value->release();
}
