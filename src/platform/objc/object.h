#pragma once
// The object model every run-time object shares: reference counting, the
// isa pointer, strong (Ref) and weak (Weak) references.
//
// Ownership in the types:
//   Ref<T>   a strong reference; copying retains, destroying releases.
//   T* / id  an unretained pointer; valid only while someone holds a Ref.
//   Weak<T>  goes null when its object is destroyed; lock() gives a Ref or null.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

struct objc_class;
struct objc_selector;
struct objc_object;
using Class = objc_class*;
using SEL = const objc_selector*;
using id = objc_object*;

namespace objc::detail {
struct WeakBox;
}

// The root of every run-time object. Instances are created by make<T>() or by
// class_createInstance(); they are never copied and never stack-allocated.
struct objc_object {
  objc_object() = default;
  objc_object(const objc_object&) = delete;
  objc_object& operator=(const objc_object&) = delete;
  virtual ~objc_object();

  // Thread-safe. The release that drops the count to zero sends `dealloc`
  // through the method table, so a replaced dealloc runs first.
  void retain() noexcept;
  void release() noexcept;
  // Retains only while the object is alive and not being destroyed.
  bool tryRetain() noexcept;
  intptr_t retainCount() const noexcept { return refs_.load(std::memory_order_relaxed); }
  bool isDeallocating() const noexcept { return deallocating_.load(std::memory_order_acquire); }

  // Set by the associated-object table when it first stores a value for this
  // object, so that most objects die without a look in that table.
  void noteAssociation() noexcept { hadAssociations_.store(true, std::memory_order_relaxed); }
  bool mayHaveAssociations() const noexcept { return hadAssociations_.load(std::memory_order_relaxed); }

  // Objects that live for the whole process (classes, literals) ignore counting.
  void makeImmortal() noexcept { immortal_ = true; }

  Class isa = nullptr;

 private:
  friend struct objc::detail::WeakBox;
  friend void object_dispose(id);
  friend std::shared_ptr<objc::detail::WeakBox> objc_weakBoxFor(id);
  std::atomic<intptr_t> refs_{1};
  std::atomic<bool> deallocating_{false};
  std::atomic<bool> hadAssociations_{false};
  bool immortal_ = false;
  std::shared_ptr<objc::detail::WeakBox> weakBox_;  // guarded by the weak table lock
};

template <class T>
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  // Retains: the pointer stays owned by whoever held it before.
  Ref(T* p) noexcept : p_(p) {
    if (p_) p_->retain();
  }
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U>&& o) noexcept : p_(static_cast<T*>(o.leak())) {}
  ~Ref() { reset(); }

  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Takes over a +1 reference without retaining again.
  static Ref adopt(T* p) noexcept {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Gives up ownership without releasing.
  T* leak() noexcept { return std::exchange(p_, nullptr); }
  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->release();
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  operator T*() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// A strong reference to any object: what messages return at the run-time boundary.
using StrongId = Ref<objc_object>;

namespace objc::detail {
// The shared cell that weak references point at; cleared when the object dies.
struct WeakBox {
  objc_object* object = nullptr;
};
StrongId loadWeak(const std::shared_ptr<WeakBox>& box);
}  // namespace objc::detail

// Creates (once) the cell that weak references to `obj` share.
std::shared_ptr<objc::detail::WeakBox> objc_weakBoxFor(id obj);

template <class T>
class Weak {
 public:
  Weak() = default;
  Weak(T* p) : box_(p ? objc_weakBoxFor(p) : nullptr) {}
  Weak(const Ref<T>& p) : Weak(p.get()) {}
  // A strong reference, or null once the object is gone or being destroyed.
  Ref<T> lock() const {
    if (!box_) return nullptr;
    StrongId s = objc::detail::loadWeak(box_);
    return Ref<T>::adopt(static_cast<T*>(s.leak()));
  }

 private:
  std::shared_ptr<objc::detail::WeakBox> box_;
};

// Destroys an object whose count reached zero: clears weak references and
// associated objects, then deletes it. This is the root class's dealloc.
void object_dispose(id obj);
