#pragma once
// Ranges and orderings shared by the text core, in UTF-16 code units as on the
// device (an NSRange and an NSComparisonResult without the object run time).

#include <cstddef>
#include <string>

namespace text {

// Location of a range that was not found (NSNotFound's role).
inline constexpr std::size_t notFound = std::u16string::npos;

struct Range {
  std::size_t location = notFound;
  std::size_t length = 0;

  bool found() const { return location != notFound; }
  std::size_t end() const { return location + length; }
  friend bool operator==(const Range&, const Range&) = default;
};

enum class Ordering { Ascending = -1, Same = 0, Descending = 1 };

}  // namespace text
