#pragma once
// Private helpers of the text core: bridging to ICU's int32_t lengths and
// walking UTF-16 by code point. Not part of the public API.

#include <unicode/utf16.h>
#include <unicode/utypes.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text::detail {

// Misuse of the text API: prints the reason and aborts.
[[noreturn]] void fatal(const char* function, const char* what);

// ICU counts in int32_t; a longer text cannot be handed to it.
std::int32_t icuLength(std::size_t n, const char* function);

inline bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Code point starting at i (a lone surrogate stands for itself); advances i.
inline char32_t nextCodePoint(std::u16string_view s, std::size_t& i) {
  char16_t lead = s[i++];
  if (U16_IS_LEAD(lead) && i < s.size() && U16_IS_TRAIL(s[i]))
    return static_cast<char32_t>(U16_GET_SUPPLEMENTARY(lead, s[i++]));
  return lead;
}

// Runs an ICU "fill dest, report needed length" call, growing the buffer once
// if the first guess was too small. Returns false with the ICU error on failure.
template <class Fill>
bool icuString(std::u16string& out, std::size_t guess, Fill fill, UErrorCode& status) {
  out.resize(guess);
  status = U_ZERO_ERROR;
  std::int32_t needed = fill(out.data(), icuLength(out.size(), "icuString"), status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(needed));
    status = U_ZERO_ERROR;
    needed = fill(out.data(), needed, status);
  }
  if (U_FAILURE(status)) return false;
  out.resize(static_cast<std::size_t>(needed));
  return true;
}

}  // namespace text::detail
