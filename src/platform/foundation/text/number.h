#pragma once
// The leading number of a text, as NSString integerValue and doubleValue read it.
// Pure; thread-safe; independent of the process locale.

#include <cstdint>
#include <string_view>

namespace text {

// Skips leading whitespace and newlines, then reads an optional + or - and
// ASCII decimal digits, stopping at the first other character. No digits
// gives 0; a value out of range clamps to INT64_MAX or INT64_MIN.
std::int64_t integerValue(std::u16string_view s);

// Skips leading whitespace and newlines, then reads the longest decimal
// floating-point prefix ([+-]digits[.digits][e[+-]digits], ASCII, '.' as the
// point whatever the locale). No number gives 0; overflow gives +/-HUGE_VAL.
// Hexadecimal, "inf" and "nan" are not numbers here.
double doubleValue(std::u16string_view s);

}  // namespace text
