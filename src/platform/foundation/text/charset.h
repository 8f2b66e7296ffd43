#pragma once
// The platform's predefined character sets, decided from ICU's Unicode data,
// and the string operations that take one. Pure; thread-safe.

#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/text/range.h"

namespace text {

// Membership as the platform defines each set:
enum class CharSet {
  WhitespaceAndNewline,  // General Category Z*, U+0009-U+000D, U+0085
  Whitespace,            // General Category Zs, U+0009
  Newline,               // U+000A-U+000D, U+0085, U+2028, U+2029
  DecimalDigit,          // General Category Nd
  Letter,                // General Categories L* and M*
  Alphanumeric,          // General Categories L*, M* and N*
  Punctuation,           // General Category P*
};

// Whether code point c belongs to set. A lone surrogate or a value above
// U+10FFFF belongs to none of them.
bool inSet(char32_t c, CharSet set);

// A predefined set, possibly inverted (NSCharacterSet's invertedSet).
struct CharacterSet {
  CharSet set;
  bool inverted = false;

  bool contains(char32_t c) const { return inSet(c, set) != inverted; }
  CharacterSet invertedSet() const { return {set, !inverted}; }
};

// componentsSeparatedByCharactersInSet:. Splits at every single member
// character, so adjacent separators give an empty word between them and a
// separator at either end an empty word there; "" gives [""]. A surrogate pair
// is one character. Allocates the words.
std::vector<std::u16string> componentsSeparatedByCharactersInSet(std::u16string_view s, CharacterSet set);

// rangeOfCharacterFromSet:. The first member character: its code unit index
// and its length (2 for a surrogate pair); a not-found Range when there is none.
Range rangeOfCharacterFromSet(std::u16string_view s, CharacterSet set);

}  // namespace text
