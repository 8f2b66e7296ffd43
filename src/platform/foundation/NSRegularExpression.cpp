#include "platform/foundation/NSRegularExpression.h"

#include <fmt/format.h>

#include "platform/foundation/text/regex.h"

struct NSRegularExpression::Impl {
  text::Regex regex;
};

namespace {

NSRange toNSRange(const text::Range& r) {
  if (!r.found()) return {static_cast<NSUInteger>(NSNotFound), 0};
  return {r.location, r.length};
}

Ref<NSTextCheckingResult> toResult(const text::Match& match) {
  std::vector<NSRange> ranges;
  ranges.reserve(match.size());
  for (const text::Range& r : match) ranges.push_back(toNSRange(r));
  return make<NSTextCheckingResult>(std::move(ranges));
}

constexpr unsigned long kIgnoredMatchingOptions = NSMatchingReportProgress | NSMatchingReportCompletion;

// The text layer aborts on a range past the end; checked here too so that the
// message names the Foundation call, and so that a nil string is caught.
std::u16string_view checkedText(const NSString* string, unsigned long options, NSRange range, const char* caller) {
  if (!string) objc::fatal(fmt::format("{}: nil argument", caller));
  if (options & ~kIgnoredMatchingOptions)
    objc::fatal(
        fmt::format("{}: NSMatchingOptions {:#x} are not supported", caller, options & ~kIgnoredMatchingOptions));
  const NSUInteger length = string->length();
  if (range.location > length || range.length > length - range.location)
    objc::fatal(
        fmt::format("{}: range {{{}, {}}} out of bounds for length {}", caller, range.location, range.length, length));
  return string->characters();
}

}  // namespace

NSRange NSTextCheckingResult::rangeAtIndex(NSUInteger index) const {
  if (index >= ranges_.size())
    objc::fatal(fmt::format("rangeAtIndex: index {} beyond bounds [0 .. {}]", index, ranges_.size()));
  return ranges_[index];
}

Ref<NSRegularExpression> NSRegularExpression::regularExpressionWithPattern_options_error(const NSString* pattern,
                                                                                         unsigned long options,
                                                                                         Ref<NSError>* error) {
  if (!pattern) objc::fatal("regularExpressionWithPattern:options:error: nil pattern");
  text::RegexCompilation compiled = text::Regex::compile(pattern->characters(), static_cast<unsigned>(options));
  if (!compiled) {
    if (error)
      *error = NSError::error(
          NSCocoaErrorDomain, NSRegularExpressionPatternErrorCode,
          fmt::format("The value \u201c{}\u201d is invalid ({}).", pattern->UTF8String(), compiled.error));
    return nullptr;
  }
  auto re = make<NSRegularExpression>();
  re->pattern_ = Ref<NSString>(const_cast<NSString*>(pattern));
  re->options_ = options;
  re->impl_ = std::make_shared<const Impl>(Impl{std::move(*compiled.regex)});
  if (error) *error = nullptr;
  return re;
}

NSUInteger NSRegularExpression::numberOfCaptureGroups() const { return impl_->regex.captureGroupCount(); }

Ref<NSArray> NSRegularExpression::matchesInString_options_range(const NSString* string, unsigned long options,
                                                                NSRange range) const {
  std::u16string_view text = checkedText(string, options, range, "matchesInString:options:range:");
  std::vector<StrongId> results;
  for (const text::Match& m : impl_->regex.matches(text, {range.location, range.length}))
    results.push_back(toResult(m));
  return make<NSArray>(std::move(results));
}

Ref<NSTextCheckingResult> NSRegularExpression::firstMatchInString_options_range(const NSString* string,
                                                                                unsigned long options,
                                                                                NSRange range) const {
  std::u16string_view text = checkedText(string, options, range, "firstMatchInString:options:range:");
  std::optional<text::Match> m = impl_->regex.firstMatch(text, {range.location, range.length});
  return m ? toResult(*m) : nullptr;
}

NSUInteger NSRegularExpression::numberOfMatchesInString_options_range(const NSString* string, unsigned long options,
                                                                      NSRange range) const {
  std::u16string_view text = checkedText(string, options, range, "numberOfMatchesInString:options:range:");
  return impl_->regex.matches(text, {range.location, range.length}).size();
}

Ref<NSString> NSRegularExpression::stringByReplacingMatchesInString_options_range_withTemplate(
    const NSString* string, unsigned long options, NSRange range, const NSString* templ) const {
  std::u16string_view text =
      checkedText(string, options, range, "stringByReplacingMatchesInString:options:range:withTemplate:");
  if (!templ) objc::fatal("stringByReplacingMatchesInString:options:range:withTemplate: nil template");
  return NSString::stringWithCharacters(
      impl_->regex.replaceAll(text, {range.location, range.length}, templ->characters()));
}
