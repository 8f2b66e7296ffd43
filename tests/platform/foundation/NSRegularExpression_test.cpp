#include "platform/foundation/NSRegularExpression.h"

#include <gtest/gtest.h>

namespace {

Ref<NSRegularExpression> regex(const char* pattern, unsigned long options = 0) {
  Ref<NSError> error;
  auto re = NSRegularExpression::regularExpressionWithPattern_options_error(NSString::stringWithUTF8String(pattern),
                                                                            options, &error);
  EXPECT_TRUE(re) << pattern << ": " << (error ? utf8(error->description().get()) : "");
  return re;
}

NSRange whole(const NSString* s) { return NSMakeRange(0, s->length()); }
constexpr NSUInteger kNotFound = static_cast<NSUInteger>(NSNotFound);

TEST(RegularExpression, ReportsGroupRangesInUtf16WithNotFoundForSkippedGroups) {
  auto re = regex("(\\d+)%(?: of (\\w+))?");
  Ref<NSString> text = "🍅 97% and 8%"_ns;  // the emoji is two UTF-16 units
  Ref<NSArray> matches = re->matchesInString_options_range(text, 0, whole(text));
  ASSERT_EQ(matches->count(), 2u);
  auto* first = objc_cast<NSTextCheckingResult>(matches->objectAtIndex(0));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->numberOfRanges(), 3u) << "the whole match and two groups";
  EXPECT_EQ(first->range(), NSMakeRange(3, 3));
  EXPECT_EQ(first->rangeAtIndex(1), NSMakeRange(3, 2));
  EXPECT_EQ(first->rangeAtIndex(2), NSMakeRange(kNotFound, 0)) << "a group that took no part";
  EXPECT_EQ(utf8(text->substringWithRange(first->rangeAtIndex(1)).get()), "97");
  EXPECT_EQ(re->numberOfMatchesInString_options_range(text, 0, whole(text)), 2u);
  EXPECT_EQ(re->numberOfCaptureGroups(), 2u);
  EXPECT_EQ(objc_msgSend<NSUInteger>(first, "numberOfRanges"), 3u) << "also answers by message";
}

TEST(RegularExpression, SearchesOnlyWithinTheRangeWhoseEdgesAnchor) {
  auto re = regex("^\\w+");
  Ref<NSString> text = "one two three"_ns;
  Ref<NSTextCheckingResult> m = re->firstMatchInString_options_range(text, 0, NSMakeRange(4, 9));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->range(), NSMakeRange(4, 3)) << "^ matches at the range's start";
  EXPECT_FALSE(regex("three")->firstMatchInString_options_range(text, 0, NSMakeRange(0, 10)))
      << "match cut by the range";
  EXPECT_FALSE(re->firstMatchInString_options_range(text, 0, NSMakeRange(13, 0)));
}

TEST(RegularExpression, ReplacesWithTemplateKeepingTextOutsideTheRange) {
  auto re = regex("(\\w+)@(\\w+)");
  Ref<NSString> text = "a@b c@d e@f"_ns;
  Ref<NSString> out =
      re->stringByReplacingMatchesInString_options_range_withTemplate(text, 0, NSMakeRange(4, 7), "$2\\$$1"_ns);
  EXPECT_EQ(utf8(out.get()), "a@b d$c f$e");
  Ref<NSString> none =
      regex("zzz")->stringByReplacingMatchesInString_options_range_withTemplate(text, 0, whole(text), "x"_ns);
  EXPECT_TRUE(none->isEqualToString(text)) << "no match: the same text";
}

TEST(RegularExpression, OptionsChangeMatching) {
  Ref<NSString> text = "Title\nthe END"_ns;
  EXPECT_EQ(regex("end")->numberOfMatchesInString_options_range(text, 0, whole(text)), 0u);
  EXPECT_EQ(
      regex("end", NSRegularExpressionCaseInsensitive)->numberOfMatchesInString_options_range(text, 0, whole(text)),
      1u);
  EXPECT_EQ(
      regex("^the", NSRegularExpressionAnchorsMatchLines)->numberOfMatchesInString_options_range(text, 0, whole(text)),
      1u);
  EXPECT_EQ(regex("a.c", NSRegularExpressionIgnoreMetacharacters)
                ->numberOfMatchesInString_options_range("abc a.c"_ns, 0, NSMakeRange(0, 7)),
            1u);
  EXPECT_EQ(regex("e.t", NSRegularExpressionDotMatchesLineSeparators)
                ->numberOfMatchesInString_options_range("e\nt"_ns, 0, NSMakeRange(0, 3)),
            1u);
}

TEST(RegularExpression, InvalidPatternIsAnErrorValue) {
  Ref<NSError> error;
  auto re = NSRegularExpression::regularExpressionWithPattern_options_error("(unclosed"_ns, 0, &error);
  EXPECT_FALSE(re);
  ASSERT_TRUE(error) << "the reason comes back as an error";
  EXPECT_EQ(utf8(error->domain()), NSCocoaErrorDomain);
  EXPECT_EQ(error->code(), 2048);
  EXPECT_NE(utf8(error->localizedDescription().get()).find("(unclosed"), std::string::npos) << "names the pattern";
}

TEST(RegularExpressionDeathTest, MisuseIsLoud) {
  auto re = regex("a");
  Ref<NSString> text = "abc"_ns;
  EXPECT_DEATH(re->firstMatchInString_options_range(text, 0, NSMakeRange(2, 5)), "out of bounds");
  EXPECT_DEATH(re->matchesInString_options_range(nullptr, 0, NSMakeRange(0, 0)), "nil");
  EXPECT_DEATH(re->matchesInString_options_range(text, NSMatchingAnchored, whole(text)), "not supported");
  EXPECT_DEATH(re->firstMatchInString_options_range(text, 0, whole(text))->rangeAtIndex(1), "beyond bounds");
}

}  // namespace
