#pragma once
// What the reusing views (collection and table views) share: the class test
// of a registered class and the key of a reuse identifier.

#include <string>

#include "platform/foundation/NSString.h"

namespace uikit::detail {

// cls is base or a subclass of it (run-time subclasses included).
inline bool inheritsFrom(Class cls, Class base) {
  for (Class c = cls; c; c = class_getSuperclass(c))
    if (c == base) return true;
  return false;
}

inline std::u16string reuseKey(const NSString* identifier) { return std::u16string(chars(identifier)); }

}  // namespace uikit::detail
