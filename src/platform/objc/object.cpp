// Reference counting, weak references and object destruction.

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/objc/runtime_internal.h"

namespace objc {
void fatal(const std::string& message) {
  std::fprintf(stderr, "objc: fatal: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}
}  // namespace objc

namespace {
// One lock for every weak cell: weak references are few, and one lock makes
// "load while the object dies" trivially safe.
std::mutex& weakLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
}  // namespace

objc_object::~objc_object() = default;

void objc_object::retain() noexcept {
  if (immortal_) return;
  refs_.fetch_add(1, std::memory_order_relaxed);
}

void objc_object::release() noexcept {
  if (immortal_) return;
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  // A retain and release inside dealloc must not start a second destruction.
  if (deallocating_.exchange(true, std::memory_order_acq_rel)) return;
  static SEL const dealloc = sel_registerName("dealloc");  // once, not on every object's death
  if (isa)
    objc_msgSend<void>(this, dealloc);
  else
    object_dispose(this);
}

bool objc_object::tryRetain() noexcept {
  if (immortal_) return true;
  if (deallocating_.load(std::memory_order_acquire)) return false;
  intptr_t n = refs_.load(std::memory_order_relaxed);
  while (n > 0) {
    if (refs_.compare_exchange_weak(n, n + 1, std::memory_order_acq_rel)) {
      if (!deallocating_.load(std::memory_order_acquire)) return true;
      refs_.fetch_sub(1, std::memory_order_acq_rel);  // lost the race with dealloc
      return false;
    }
  }
  return false;
}

std::shared_ptr<objc::detail::WeakBox> objc_weakBoxFor(id obj) {
  std::lock_guard guard(weakLock());
  if (!obj || obj->isDeallocating()) return std::make_shared<objc::detail::WeakBox>();
  if (!obj->weakBox_) {
    obj->weakBox_ = std::make_shared<objc::detail::WeakBox>();
    obj->weakBox_->object = obj;
  }
  return obj->weakBox_;
}

StrongId objc::detail::loadWeak(const std::shared_ptr<WeakBox>& box) {
  std::lock_guard guard(weakLock());
  if (box && box->object && box->object->tryRetain()) return StrongId::adopt(box->object);
  return nullptr;
}

void object_dispose(id obj) {
  if (!obj) return;
  {
    std::lock_guard guard(weakLock());
    if (obj->weakBox_) {
      obj->weakBox_->object = nullptr;
      obj->weakBox_.reset();
    }
  }
  objc_removeAssociatedObjects(obj);
  delete obj;
}
