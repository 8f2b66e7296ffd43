#include "platform/foundation/text/compare.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <string>

#include "platform/foundation/text/internal.h"

namespace text {
namespace {

constexpr unsigned kSupported = CompareCaseInsensitive | CompareLiteral | CompareNumeric;

Ordering sign(int c) { return c < 0 ? Ordering::Ascending : c > 0 ? Ordering::Descending : Ordering::Same; }

Ordering byLength(std::size_t a, std::size_t b) { return a < b ? Ordering::Ascending : a > b ? Ordering::Descending : Ordering::Same; }

// End of the digit run starting at i.
std::size_t digitRunEnd(std::u16string_view s, std::size_t i) {
  while (i < s.size() && detail::isAsciiDigit(s[i])) ++i;
  return i;
}

// Compares two digit runs by value without converting them, so any length works.
Ordering compareDigitRuns(std::u16string_view a, std::u16string_view b) {
  a.remove_prefix(std::min(a.find_first_not_of(u'0'), a.size()));
  b.remove_prefix(std::min(b.find_first_not_of(u'0'), b.size()));
  if (a.size() != b.size()) return byLength(a.size(), b.size());
  return sign(a.compare(b));
}

Ordering compareNumeric(std::u16string_view a, std::u16string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (detail::isAsciiDigit(a[i]) && detail::isAsciiDigit(b[j])) {
      const std::size_t ie = digitRunEnd(a, i), je = digitRunEnd(b, j);
      if (Ordering o = compareDigitRuns(a.substr(i, ie - i), b.substr(j, je - j)); o != Ordering::Same) return o;
      i = ie;
      j = je;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j] ? Ordering::Ascending : Ordering::Descending;
    ++i;
    ++j;
  }
  return byLength(a.size() - i, b.size() - j);
}

}  // namespace

std::u16string foldCase(std::u16string_view s) {
  // ICU rejects a null source even with length 0, which an empty view may carry.
  if (s.empty()) return {};
  // ASCII folds to its lower case and to nothing else; most texts compared
  // (titles, names) are ASCII, and ICU's call costs more than the folding.
  if (std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; })) {
    std::u16string out(s);
    for (char16_t& c : out)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
    return out;
  }
  std::u16string out;
  UErrorCode status = U_ZERO_ERROR;
  const std::int32_t length = detail::icuLength(s.size(), "foldCase");
  bool ok = detail::icuString(out, s.size() + 8, [&](char16_t* dest, std::int32_t capacity, UErrorCode& st) {
    return u_strFoldCase(dest, capacity, s.data(), length, U_FOLD_CASE_DEFAULT, &st);
  }, status);
  if (!ok) detail::fatal("foldCase", u_errorName(status));
  return out;
}

Ordering compare(std::u16string_view a, std::u16string_view b, unsigned options) {
  if (options & ~kSupported) detail::fatal("compare", "unsupported NSStringCompareOptions bit");
  // Case folding never creates or removes an ASCII digit, so folding first
  // keeps digit runs intact for the numeric comparison.
  std::u16string foldedA, foldedB;
  if (options & CompareCaseInsensitive) {
    foldedA = foldCase(a);
    foldedB = foldCase(b);
    a = foldedA;
    b = foldedB;
  }
  if (options & CompareNumeric) return compareNumeric(a, b);
  return sign(a.compare(b));
}

}  // namespace text
