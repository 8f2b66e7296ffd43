#include "platform/foundation/text/search.h"

#include <unicode/ustring.h>

#include "platform/foundation/text/internal.h"

namespace text {

std::size_t find(std::u16string_view haystack, std::u16string_view needle, std::size_t from) {
  if (from > haystack.size()) detail::fatal("find", "start index beyond the end of the text");
  if (needle.empty()) return notFound;
  return haystack.find(needle, from);
}

bool contains(std::u16string_view haystack, std::u16string_view needle) {
  return find(haystack, needle) != notFound;
}

bool hasPrefix(std::u16string_view s, std::u16string_view prefix) {
  return !prefix.empty() && s.starts_with(prefix);
}

bool hasSuffix(std::u16string_view s, std::u16string_view suffix) {
  return !suffix.empty() && s.ends_with(suffix);
}

std::u16string replaceAll(std::u16string_view s, std::u16string_view target, std::u16string_view replacement) {
  std::u16string out;
  std::size_t done = 0;
  for (std::size_t at = find(s, target); at != notFound; at = find(s, target, done)) {
    out.append(s.substr(done, at - done)).append(replacement);
    done = at + target.size();
  }
  out.append(s.substr(done));
  return out;
}

std::u16string toUpper(std::u16string_view s) {
  // ICU rejects a null source even with length 0, which an empty view may carry.
  if (s.empty()) return {};
  std::u16string out;
  UErrorCode status = U_ZERO_ERROR;
  const std::int32_t length = detail::icuLength(s.size(), "toUpper");
  bool ok = detail::icuString(out, s.size() + 8, [&](char16_t* dest, std::int32_t capacity, UErrorCode& st) {
    return u_strToUpper(dest, capacity, s.data(), length, "", &st);
  }, status);
  if (!ok) detail::fatal("toUpper", u_errorName(status));
  return out;
}

}  // namespace text
