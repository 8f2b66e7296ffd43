#include "platform/foundation/text/number.h"

#include <locale.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "platform/foundation/text/charset.h"
#include "platform/foundation/text/internal.h"

namespace text {
namespace {

std::size_t skipWhitespace(std::u16string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t next = i;
    if (!inSet(detail::nextCodePoint(s, next), CharSet::WhitespaceAndNewline)) break;
    i = next;
  }
  return i;
}

// strtod in the C locale, so a process locale with a decimal comma changes nothing.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  if (!locale) detail::fatal("doubleValue", "cannot create the C locale");
  return locale;
}

}  // namespace

std::int64_t integerValue(std::u16string_view s) {
  std::size_t i = skipWhitespace(s);
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  // Accumulate the magnitude unsigned so INT64_MIN is reachable; saturate at the limit.
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : std::numeric_limits<std::int64_t>::max();
  std::uint64_t magnitude = 0;
  for (; i < s.size() && detail::isAsciiDigit(s[i]); ++i) {
    const std::uint64_t digit = s[i] - u'0';
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) return static_cast<std::int64_t>(magnitude);
  return magnitude == limit ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(magnitude);
}

double doubleValue(std::u16string_view s) {
  // Copy the run of characters a decimal number can use; strtod picks the valid prefix.
  std::string ascii;
  for (std::size_t i = skipWhitespace(s); i < s.size(); ++i) {
    const char16_t c = s[i];
    if (!detail::isAsciiDigit(c) && c != u'+' && c != u'-' && c != u'.' && c != u'e' && c != u'E') break;
    ascii.push_back(static_cast<char>(c));
  }
  return strtod_l(ascii.c_str(), nullptr, cLocale());
}

}  // namespace text
