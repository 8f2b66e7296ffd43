#pragma once
// Registering C++ classes with the run time, and creating their instances.
//
//   objc::registerClass<NSString>("NSString", objc::classOf<NSObject>());
//   Ref<NSString> s = make<NSString>(...);
//
// Registration happens in one explicit, ordered place per layer.

#include <string>

#include "platform/objc/message.h"
#include "platform/objc/runtime.h"

namespace objc {

template <class T>
struct ClassSlot {
  static inline Class cls = nullptr;
};

// The run-time class registered for the C++ type T; null before registration.
template <class T>
Class classOf() noexcept {
  return ClassSlot<T>::cls;
}

using Factory = objc_object* (*)();
Class registerClassWithFactory(const char* name, Class superclass, Factory factory);

// Registers T under `name`. Instances made by class_createInstance for T's
// class or a run-time subclass of it are default-constructed Ts.
template <class T>
Class registerClass(const char* name, Class superclass) {
  Factory factory = nullptr;
  if constexpr (std::is_default_constructible_v<T>) factory = []() -> objc_object* { return new T(); };
  Class cls = registerClassWithFactory(name, superclass, factory);
  ClassSlot<T>::cls = cls;
  return cls;
}

// Adapts a C++ member function to an IMP: objc::method<&NSString::length>().
// An argument that arrives as id is checked against the parameter's class:
// an object of another class arrives as null, never as a wrong pointer.
template <class A, class C>
A fromBoundary(C v) {
  if constexpr (std::is_pointer_v<A> && std::is_same_v<C, id>)
    return dynamic_cast<A>(v);
  else
    return static_cast<A>(v);
}

template <auto M>
struct MethodAdapter;
template <class C, class R, class... A, R (C::*M)(A...)>
struct MethodAdapter<M> {
  static result_canonical_t<R> call(id self, SEL, arg_canonical_t<A>... a) {
    return (static_cast<C*>(self)->*M)(fromBoundary<A>(a)...);
  }
};
template <class C, class R, class... A, R (C::*M)(A...) const>
struct MethodAdapter<M> {
  static result_canonical_t<R> call(id self, SEL, arg_canonical_t<A>... a) {
    return (static_cast<const C*>(self)->*M)(fromBoundary<A>(a)...);
  }
};
template <auto M>
IMP method() {
  return IMP(&MethodAdapter<M>::call);
}

// Adds an instance method implemented by a C++ member function.
template <auto M>
void addMethod(Class cls, const char* selector) {
  IMP imp = method<M>();
  class_addMethod(cls, sel_registerName(selector), imp, std::string(imp.types()).c_str());
}

}  // namespace objc

// A new instance of T (+1 held by the Ref), with its isa set to T's class.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
  Class cls = objc::classOf<T>();
  if (!cls) objc::fatal(std::string("make: class not registered: ") + typeid(T).name());
  T* obj = new T(std::forward<Args>(args)...);
  obj->isa = cls;
  return Ref<T>::adopt(obj);
}

// The object as a T, or null: the C++ form of isKindOfClass: plus a cast.
template <class T>
T* objc_cast(id obj) {
  return dynamic_cast<T*>(obj);
}
