#pragma once
// Type encodings: the text that describes a method's result and arguments
// ("v@:@", "B@:", "q@:"), derived at compile time from C++ types.
//
// Only canonical types cross the run-time boundary, so that an encoding names
// exactly one C++ function type:
//   results: void, bool, the integer and floating types, StrongId, Class, SEL,
//            registered structs;
//   arguments: the same, but objects travel as `id` (unretained).

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/objc/object.h"

namespace objc {

template <class T, class = void>
struct Encoding;  // no encoding: not allowed at the boundary

#define OBJC_ENCODING(Type, Text)                     \
  template <>                                         \
  struct objc::Encoding<Type> {                       \
    static constexpr std::string_view value = Text;   \
  }

template <> struct Encoding<void> { static constexpr std::string_view value = "v"; };
template <> struct Encoding<bool> { static constexpr std::string_view value = "B"; };
template <> struct Encoding<char> { static constexpr std::string_view value = "c"; };
template <> struct Encoding<int32_t> { static constexpr std::string_view value = "i"; };
template <> struct Encoding<uint32_t> { static constexpr std::string_view value = "I"; };
template <> struct Encoding<long> { static constexpr std::string_view value = "q"; };
template <> struct Encoding<long long> { static constexpr std::string_view value = "q"; };
template <> struct Encoding<unsigned long> { static constexpr std::string_view value = "Q"; };
template <> struct Encoding<unsigned long long> { static constexpr std::string_view value = "Q"; };
template <> struct Encoding<float> { static constexpr std::string_view value = "f"; };
template <> struct Encoding<double> { static constexpr std::string_view value = "d"; };
template <> struct Encoding<id> { static constexpr std::string_view value = "@"; };
template <> struct Encoding<StrongId> { static constexpr std::string_view value = "@"; };
template <> struct Encoding<Class> { static constexpr std::string_view value = "#"; };
template <> struct Encoding<SEL> { static constexpr std::string_view value = ":"; };
template <> struct Encoding<const char*> { static constexpr std::string_view value = "*"; };
template <> struct Encoding<void*> { static constexpr std::string_view value = "^v"; };

// The canonical boundary type for a C++ argument or result type.
template <class T, class = void>
struct Canonical {
  using type = T;
};
// Class and SEL are incomplete here, so they are ruled out before asking
// whether a pointee derives from objc_object.
template <class T>
inline constexpr bool isObjectPointee =
    std::conjunction_v<std::negation<std::is_same<std::remove_cv_t<T>, objc_class>>,
                       std::negation<std::is_same<std::remove_cv_t<T>, objc_selector>>,
                       std::negation<std::is_void<T>>, std::negation<std::is_same<std::remove_cv_t<T>, char>>,
                       std::is_class<T>, std::is_base_of<objc_object, std::remove_cv_t<T>>>;
template <class T>
struct Canonical<T*, std::enable_if_t<isObjectPointee<T> && !std::is_same_v<std::remove_cv_t<T>, objc_object>>> {
  using type = id;
};
template <class T>
struct Canonical<Ref<T>> {
  using type = StrongId;
};
template <>
struct Canonical<int16_t> {
  using type = int32_t;
};
template <class T>
using canonical_t = typename Canonical<std::remove_cvref_t<T>>::type;

// Ref<T> as an argument travels unretained, as id.
template <class T>
struct ArgCanonical {
  using type = canonical_t<T>;
};
template <class T>
struct ArgCanonical<Ref<T>> {
  using type = id;
};
template <class T>
using arg_canonical_t = typename ArgCanonical<std::remove_cvref_t<T>>::type;

// Results cross as strong references: a raw object pointer becomes StrongId.
template <class T>
using result_canonical_t =
    std::conditional_t<std::is_same_v<canonical_t<T>, id>, StrongId, canonical_t<T>>;

// The encoding text of R(id, SEL, A...), e.g. "v@:@".
template <class R, class... A>
const std::string& encodingOf() {
  static const std::string text = [] {
    std::string s(Encoding<R>::value);
    s += "@:";
    ((s += Encoding<A>::value), ...);
    return s;
  }();
  return text;
}

// Encodings compare without the frame offsets that compilers insert ("v24@0:8").
bool encodingsMatch(std::string_view a, std::string_view b);

}  // namespace objc

namespace objc {
template <>
struct Canonical<long long> {
  using type = long;
};
template <>
struct Canonical<unsigned long long> {
  using type = unsigned long;
};
}  // namespace objc
