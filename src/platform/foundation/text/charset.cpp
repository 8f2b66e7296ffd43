#include "platform/foundation/text/charset.h"

#include <unicode/uchar.h>

#include "platform/foundation/text/internal.h"

namespace text {

bool inSet(char32_t c, CharSet set) {
  const UChar32 cp = static_cast<UChar32>(c);
  const std::uint32_t category = U_GET_GC_MASK(cp);
  switch (set) {
    case CharSet::WhitespaceAndNewline:
      return (category & U_GC_Z_MASK) || (c >= 0x09 && c <= 0x0D) || c == 0x85;
    case CharSet::Whitespace:
      return (category & U_GC_ZS_MASK) || c == 0x09;
    case CharSet::Newline:
      return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
    case CharSet::DecimalDigit:
      return category & U_GC_ND_MASK;
    case CharSet::Letter:
      return category & (U_GC_L_MASK | U_GC_M_MASK);
    case CharSet::Alphanumeric:
      return category & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK);
    case CharSet::Punctuation:
      return category & U_GC_P_MASK;
  }
  detail::fatal("inSet", "unknown character set");
}

std::vector<std::u16string> componentsSeparatedByCharactersInSet(std::u16string_view s, CharacterSet set) {
  std::vector<std::u16string> words;
  std::size_t wordStart = 0;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t at = i;
    if (set.contains(detail::nextCodePoint(s, i))) {
      words.emplace_back(s.substr(wordStart, at - wordStart));
      wordStart = i;
    }
  }
  words.emplace_back(s.substr(wordStart));
  return words;
}

Range rangeOfCharacterFromSet(std::u16string_view s, CharacterSet set) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t at = i;
    if (set.contains(detail::nextCodePoint(s, i))) return {at, i - at};
  }
  return {};
}

}  // namespace text
