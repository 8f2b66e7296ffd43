#pragma once
// Conversions between UTF-8 bytes and the UTF-16 text the platform's strings hold.

#include <optional>
#include <string>
#include <string_view>

namespace text {

// Decodes UTF-8 strictly, as NSString initWithData:encoding: with UTF-8 does:
// any ill-formed sequence (overlong form, encoded surrogate, value above
// U+10FFFF, truncated or stray byte) gives nullopt. One leading byte order
// mark is dropped, as the platform does; U+FEFF anywhere else is kept.
// Embedded NUL bytes are ordinary characters. Cost: one pass, one allocation.
std::optional<std::u16string> fromUtf8(std::string_view bytes);

// Whether the bytes are well-formed UTF-8 by the same rules as fromUtf8,
// without converting them: several gigabytes a second.
bool isUtf8(std::string_view bytes);

// Encodes UTF-16 as UTF-8. Never fails: a lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

}  // namespace text
