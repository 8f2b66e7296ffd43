#include "platform/foundation/text/encoding.h"

#include <simdjson.h>
#include <unicode/ustring.h>

#include "platform/foundation/text/internal.h"

namespace text {

std::optional<std::u16string> fromUtf8(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (bytes.empty()) return std::u16string();
  // A UTF-8 text never needs more UTF-16 units than it has bytes.
  std::u16string out(bytes.size(), u'\0');
  std::int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(out.data(), detail::icuLength(out.size(), "fromUtf8"), &length, bytes.data(),
                detail::icuLength(bytes.size(), "fromUtf8"), &status);
  if (U_FAILURE(status)) return std::nullopt;
  out.resize(static_cast<std::size_t>(length));
  return out;
}

bool isUtf8(std::string_view bytes) { return simdjson::validate_utf8(bytes.data(), bytes.size()); }

std::string toUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  const std::int32_t units = detail::icuLength(text.size(), "toUtf8");
  std::int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(nullptr, 0, &length, text.data(), units, 0xFFFD, nullptr, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) detail::fatal("toUtf8", u_errorName(status));
  std::string out(static_cast<std::size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), length, &length, text.data(), units, 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) detail::fatal("toUtf8", u_errorName(status));
  return out;
}

}  // namespace text
