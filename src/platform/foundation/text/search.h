#pragma once
// Literal searching and rewriting of UTF-16 text, code unit by code unit
// (case-sensitive). Pure functions; thread-safe; cost linear in the text
// times the needle at worst.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/foundation/text/range.h"

namespace text {

// First index >= from where needle occurs, or notFound. As on the device, an
// empty needle is never found. from beyond the end is a programming error.
std::size_t find(std::u16string_view haystack, std::u16string_view needle, std::size_t from = 0);

// containsString:, hasPrefix:, hasSuffix:. An empty needle gives false, as on the device.
bool contains(std::u16string_view haystack, std::u16string_view needle);
bool hasPrefix(std::u16string_view s, std::u16string_view prefix);
bool hasSuffix(std::u16string_view s, std::u16string_view suffix);

// Replaces every non-overlapping occurrence of target, scanning from the
// start; an empty target replaces nothing. Allocates the result.
std::u16string replaceAll(std::u16string_view s, std::u16string_view target, std::u16string_view replacement);

// Full Unicode upper-casing in the root locale ("ß" becomes "SS"). Allocates.
std::u16string toUpper(std::u16string_view s);

}  // namespace text
