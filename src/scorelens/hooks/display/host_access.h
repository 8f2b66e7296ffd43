#pragma once
// Small helpers for the title-page hooks: reaching host objects through the
// run time without trusting them to be what their names promise. A host that
// lacks a class or a method gets a neutral answer (NO, nil), never the loud
// error of an unanswered message, so the host's page stays as it built it.
// Main thread, like the hooks; each costs one or two method-table lookups.

#include <type_traits>
#include <utility>

#include "platform/foundation/NSArray.h"
#include "platform/objc/message.h"

namespace hooks::display {

// Whether obj is an instance of cls or of a subclass. NO for nil or a class
// the running host lacks.
inline bool isKind(id obj, Class cls) {
  auto* object = objc_cast<NSObject>(obj);
  return object && cls && object->isKindOfClass(cls);
}

inline bool isKind(id obj, const char* className) { return isKind(obj, objc_getClass(className)); }

inline bool answers(id obj, const char* selector) {
  return obj && class_respondsToSelector(object_getClass(obj), sel_registerName(selector));
}

// Sends selector when obj answers it; otherwise the neutral value of R.
template <class R = void, class... A>
R sendIfAnswered(id obj, const char* selector, A&&... args) {
  if (!answers(obj, selector)) {
    if constexpr (!std::is_void_v<R>) return R{};
    else return;
  }
  return objc_msgSend<R>(obj, selector, std::forward<A>(args)...);
}

// The first element of a view's direct subviews (in the host's order) that is
// of cls and satisfies accept; nil when there is none.
template <class Accept>
StrongId firstSubviewOfClass(id view, Class cls, Accept accept) {
  if (!cls) return nullptr;
  Ref<NSArray> subviews = sendIfAnswered<Ref<NSArray>>(view, "subviews");
  if (!subviews) return nullptr;
  for (const StrongId& subview : *subviews)
    if (isKind(subview.get(), cls) && accept(subview.get())) return subview;
  return nullptr;
}

inline StrongId firstSubviewOfClass(id view, Class cls) {
  return firstSubviewOfClass(view, cls, [](id) { return true; });
}

}  // namespace hooks::display
