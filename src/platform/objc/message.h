#pragma once
// Message sending: objc_msgSend<R>(receiver, selector, args...).
//
// A message to nil does nothing and answers nil, 0 or NO, as on the device. A
// message that no method answers, or one sent with types that do not match
// the method's encoding, is a loud programming error.
//
// R may be any canonical result type or Ref<T>; Ref<T> answers null when the
// object returned is not a T. Arguments may be Ref<T> or T*; both travel as id.

#include <string>

#include "platform/objc/runtime.h"

namespace objc::detail {
template <class R>
struct Result {
  using call_type = canonical_t<R>;
  static R from(call_type v) { return v; }
  static R none() { return R{}; }
};
template <>
struct Result<void> {
  using call_type = void;
  static void none() {}
};
template <class T>
struct Result<Ref<T>> {
  using call_type = StrongId;
  static Ref<T> from(StrongId v) {
    if constexpr (std::is_same_v<T, objc_object>) {
      return v;
    } else {
      T* typed = dynamic_cast<T*>(v.get());
      return typed ? Ref<T>(typed) : Ref<T>();
    }
  }
  static Ref<T> none() { return nullptr; }
};

template <class A>
auto toBoundary(A&& a) {
  using C = arg_canonical_t<A>;
  if constexpr (std::is_same_v<C, id>) {
    if constexpr (std::is_same_v<std::remove_cvref_t<A>, std::nullptr_t>)
      return id{nullptr};
    else
      return static_cast<id>(static_cast<objc_object*>(a));
  } else {
    return static_cast<C>(a);
  }
}
}  // namespace objc::detail

template <>
struct objc::ArgCanonical<std::nullptr_t> {
  using type = id;
};

template <class R = void, class... A>
R objc_msgSend(id self, SEL op, A&&... args) {
  using Res = objc::detail::Result<R>;
  if (!self) return Res::none();
  IMP imp = objc::lookUpImpOrDie(self, op);
  if constexpr (std::is_void_v<R>) {
    imp.call<void, objc::arg_canonical_t<A>...>(self, op, objc::detail::toBoundary(std::forward<A>(args))...);
  } else {
    return Res::from(imp.call<typename Res::call_type, objc::arg_canonical_t<A>...>(
        self, op, objc::detail::toBoundary(std::forward<A>(args))...));
  }
}

// Sends by selector name: objc_msgSend<StrongId>(obj, "title").
template <class R = void, class... A>
R objc_msgSend(id self, const char* name, A&&... args) {
  return objc_msgSend<R>(self, sel_registerName(name), std::forward<A>(args)...);
}

// Sends to a class object (class methods).
template <class R = void, class... A>
R objc_msgSend(Class cls, SEL op, A&&... args) {
  return objc_msgSend<R>(class_asObject(cls), op, std::forward<A>(args)...);
}
template <class R = void, class... A>
R objc_msgSend(Class cls, const char* name, A&&... args) {
  return objc_msgSend<R>(class_asObject(cls), sel_registerName(name), std::forward<A>(args)...);
}

// Calls a saved implementation (a hook's call-through) with canonical types.
template <class R = void, class... A>
R imp_call(const IMP& imp, id self, SEL op, A&&... args) {
  using Res = objc::detail::Result<R>;
  if constexpr (std::is_void_v<R>) {
    imp.call<void, objc::arg_canonical_t<A>...>(self, op, objc::detail::toBoundary(std::forward<A>(args))...);
  } else {
    return Res::from(imp.call<typename Res::call_type, objc::arg_canonical_t<A>...>(
        self, op, objc::detail::toBoundary(std::forward<A>(args))...));
  }
}
