#pragma once
// NSRegularExpression on ICU. Compiled once, then safe to use from any thread.
// Text, ranges and results are in UTF-16 code units, as on the device.

#include <memory>

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSString.h"

enum NSRegularExpressionOptions : unsigned long {
  NSRegularExpressionCaseInsensitive = 1 << 0,
  NSRegularExpressionAllowCommentsAndWhitespace = 1 << 1,
  NSRegularExpressionIgnoreMetacharacters = 1 << 2,
  NSRegularExpressionDotMatchesLineSeparators = 1 << 3,
  NSRegularExpressionAnchorsMatchLines = 1 << 4,
  NSRegularExpressionUseUnixLineSeparators = 1 << 5,
  NSRegularExpressionUseUnicodeWordBoundaries = 1 << 6,
};

// The matching options. The two reporting options only concern block
// enumeration, which this platform does not offer, and are accepted and
// ignored; the others are not supported here and are a programming error.
enum NSMatchingOptions : unsigned long {
  NSMatchingReportProgress = 1 << 0,
  NSMatchingReportCompletion = 1 << 1,
  NSMatchingAnchored = 1 << 2,
  NSMatchingWithTransparentBounds = 1 << 3,
  NSMatchingWithoutAnchoringBounds = 1 << 4,
};

// Error code when a pattern does not compile, in NSCocoaErrorDomain (NSFormattingError).
inline constexpr NSInteger NSRegularExpressionPatternErrorCode = 2048;

// One match: range 0 is the whole match, range i the i-th capture group
// ({NSNotFound, 0} when the group took no part). Immutable.
class NSTextCheckingResult : public NSObject {
 public:
  NSTextCheckingResult() = default;
  explicit NSTextCheckingResult(std::vector<NSRange> ranges) : ranges_(std::move(ranges)) {}
  NSRange range() const { return ranges_.empty() ? NSRange{static_cast<NSUInteger>(NSNotFound), 0} : ranges_[0]; }
  NSUInteger numberOfRanges() const { return ranges_.size(); }
  NSRange rangeAtIndex(NSUInteger index) const;  // out of range: programming error

 private:
  std::vector<NSRange> ranges_;
};

class NSRegularExpression : public NSObject {
 public:
  // nil with *error set (NSCocoaErrorDomain, 2048, ICU's reason in the
  // description) when the pattern does not compile. A nil pattern or an
  // unknown option bit is a programming error.
  static Ref<NSRegularExpression> regularExpressionWithPattern_options_error(const NSString* pattern,
                                                                             unsigned long options,
                                                                             Ref<NSError>* error);

  // In all of these, a nil string or a range reaching past its end is a
  // programming error, as the device raises. The range's edges act as anchors
  // for ^ and $ and as the text's end for lookaround. Cost: one scan.

  // Every non-overlapping match within range (NSTextCheckingResults), scanned from its start.
  Ref<NSArray> matchesInString_options_range(const NSString* string, unsigned long options, NSRange range) const;
  // The first match, or nil.
  Ref<NSTextCheckingResult> firstMatchInString_options_range(const NSString* string, unsigned long options,
                                                             NSRange range) const;
  NSUInteger numberOfMatchesInString_options_range(const NSString* string, unsigned long options, NSRange range) const;
  // A new string: each match in range replaced by the template, text outside
  // range kept. The template may use $0..$99 (as many digits as name a group)
  // and backslash escapes ("\$" is a dollar sign).
  Ref<NSString> stringByReplacingMatchesInString_options_range_withTemplate(const NSString* string,
                                                                            unsigned long options, NSRange range,
                                                                            const NSString* templ) const;
  Ref<NSString> pattern() const { return pattern_; }
  unsigned long options() const { return options_; }
  NSUInteger numberOfCaptureGroups() const;

  struct Impl;

 private:
  Ref<NSString> pattern_;
  unsigned long options_ = 0;
  std::shared_ptr<const Impl> impl_;
  friend class NSRegularExpressionAccess;
};
