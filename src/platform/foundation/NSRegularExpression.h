#pragma once
// NSRegularExpression on ICU. Compiled once, then safe to use from any thread.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSString.h"

enum NSRegularExpressionOptions : unsigned long {
  NSRegularExpressionCaseInsensitive = 1 << 0,
  NSRegularExpressionAllowCommentsAndWhitespace = 1 << 1,
  NSRegularExpressionIgnoreMetacharacters = 1 << 2,
  NSRegularExpressionDotMatchesLineSeparators = 1 << 3,
  NSRegularExpressionAnchorsMatchLines = 1 << 4,
};

// One match: range 0 is the whole match, range i the i-th capture group
// ({NSNotFound, 0} when the group took no part).
class NSTextCheckingResult : public NSObject {
 public:
  NSTextCheckingResult() = default;
  explicit NSTextCheckingResult(std::vector<NSRange> ranges) : ranges_(std::move(ranges)) {}
  NSRange range() const { return rangeAtIndex(0); }
  NSUInteger numberOfRanges() const { return ranges_.size(); }
  NSRange rangeAtIndex(NSUInteger index) const;  // out of range: programming error

 private:
  std::vector<NSRange> ranges_;
};

class NSRegularExpression : public NSObject {
 public:
  // nil with *error set when the pattern does not compile.
  static Ref<NSRegularExpression> regularExpressionWithPattern_options_error(const NSString* pattern, unsigned long options,
                                                                             Ref<NSError>* error);

  // Every non-overlapping match within range, scanned from its start.
  Ref<NSArray> matchesInString_options_range(const NSString* string, unsigned long options, NSRange range) const;
  Ref<NSTextCheckingResult> firstMatchInString_options_range(const NSString* string, unsigned long options,
                                                             NSRange range) const;
  NSUInteger numberOfMatchesInString_options_range(const NSString* string, unsigned long options, NSRange range) const;
  // The template may use $0..$9 and backslash escapes.
  Ref<NSString> stringByReplacingMatchesInString_options_range_withTemplate(const NSString* string, unsigned long options,
                                                                          NSRange range, const NSString* templ) const;
  Ref<NSString> pattern() const { return pattern_; }

  struct Impl;

 private:
  Ref<NSString> pattern_;
  std::shared_ptr<const Impl> impl_;
  friend class NSRegularExpressionAccess;
};
