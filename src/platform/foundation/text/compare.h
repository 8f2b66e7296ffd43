#pragma once
// String ordering with the NSStringCompareOptions the module relies on.

#include <string_view>

#include "platform/foundation/text/range.h"

namespace text {

// Bits with the values of NSStringCompareOptions; others are not supported.
enum CompareOption : unsigned {
  CompareCaseInsensitive = 1,  // NSCaseInsensitiveSearch
  CompareLiteral = 2,          // NSLiteralSearch
  CompareNumeric = 64,         // NSNumericSearch
};

// Orders a against b (Ascending: a is lower). Pure; thread-safe; linear cost
// (CaseInsensitive also allocates the folded copies).
// - No option or Literal: UTF-16 code unit order; a proper prefix is lower.
//   Unlike the device, canonically equivalent spellings (precomposed "é" and
//   "e" + U+0301) are not equated.
// - CaseInsensitive: compares the full Unicode case folds ("straße" and
//   "STRASSE" are the Same).
// - Numeric: runs of ASCII digits that meet at the same point are compared by
//   value, of any length, leading zeros ignored ("9.100.0" > "9.19.0"); other
//   code units one by one.
// Passing any other option bit is a programming error (aborts).
Ordering compare(std::u16string_view a, std::u16string_view b, unsigned options = 0);

// Full Unicode case fold (the default, non-Turkic mapping).
std::u16string foldCase(std::u16string_view s);

}  // namespace text
