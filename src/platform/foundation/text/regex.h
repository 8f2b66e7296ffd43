#pragma once
// Compiled ICU regular expressions over UTF-16 text, with NSRegularExpression's
// options, match ranges and replacement templates.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/text/range.h"

namespace text {

// Bits with the values of NSRegularExpressionOptions.
enum RegexOption : unsigned {
  RegexCaseInsensitive = 1 << 0,
  RegexAllowCommentsAndWhitespace = 1 << 1,
  RegexIgnoreMetacharacters = 1 << 2,
  RegexDotMatchesLineSeparators = 1 << 3,
  RegexAnchorsMatchLines = 1 << 4,
  RegexUseUnixLineSeparators = 1 << 5,
  RegexUseUnicodeWordBoundaries = 1 << 6,
};

// One match: element 0 is the whole match, element n capture group n. A group
// that took no part in the match has a not-found Range.
using Match = std::vector<Range>;

struct RegexCompilation;

// An immutable compiled pattern. Copies share it; every member may be called
// from any number of threads at once (each call uses its own ICU matcher).
// Text and ranges are in UTF-16 code units; a range reaching past the end of
// the text is a programming error (aborts). Matching is bounded by the range,
// whose edges act as anchors for ^ and $, as on the device. Should ICU give
// up during a scan (backtracking stack exhausted), the scan ends there with
// the matches found so far, as the platform's enumeration does.
class Regex {
 public:
  // Compiles pattern with RegexOption bits; ICU's reason on failure. Unknown
  // option bits are a programming error.
  static RegexCompilation compile(std::u16string_view pattern, unsigned options = 0);

  const std::u16string& pattern() const;
  unsigned options() const;
  std::size_t captureGroupCount() const;

  // Every non-overlapping match, scanning from the start of the range.
  std::vector<Match> matches(std::u16string_view text, Range range) const;
  std::vector<Match> matches(std::u16string_view text) const { return matches(text, {0, text.size()}); }

  // The first match in the range, if any.
  std::optional<Match> firstMatch(std::u16string_view text, Range range) const;
  std::optional<Match> firstMatch(std::u16string_view text) const { return firstMatch(text, {0, text.size()}); }

  // Replaces every match in the range by the expanded template; text outside
  // the range is kept. Template: $n inserts group n (as many digits as still
  // name a group: with 3 groups "$12" is group 1 then "2"; a number beyond the
  // groups inserts nothing, as does a group that took no part); backslash
  // makes the next character literal; a $ without a digit is literal.
  std::u16string replaceAll(std::u16string_view text, Range range, std::u16string_view templ) const;
  std::u16string replaceAll(std::u16string_view text, std::u16string_view templ) const {
    return replaceAll(text, {0, text.size()}, templ);
  }

 private:
  struct Impl;
  explicit Regex(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
  std::shared_ptr<const Impl> impl_;
};

// The outcome of Regex::compile: a regex, or ICU's message (with the pattern
// offset where ICU knows it) when the pattern does not compile.
struct RegexCompilation {
  std::optional<Regex> regex;
  std::string error;

  explicit operator bool() const { return regex.has_value(); }
};

}  // namespace text
