#include "platform/foundation/text/charset.h"

#include <gtest/gtest.h>

using namespace text;

namespace {
const CharacterSet kSpace{CharSet::WhitespaceAndNewline};
const CharacterSet kNotDigit = CharacterSet{CharSet::DecimalDigit}.invertedSet();
}  // namespace

TEST(TextCharSet, MembershipFollowsThePlatformDefinitions) {
  for (char32_t c : {U' ', U'\t', U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u00A0', U'\u2003', U'\u2028', U'\u2029',
                     U'\u3000'})
    EXPECT_TRUE(inSet(c, CharSet::WhitespaceAndNewline)) << "U+" << std::hex << unsigned(c) << " is whitespace";
  for (char32_t c : {U'a', U'\u200B', U'\uFEFF', U'\uFFFC', U'\u001F'})
    EXPECT_FALSE(inSet(c, CharSet::WhitespaceAndNewline)) << "U+" << std::hex << unsigned(c) << " is not whitespace";
  EXPECT_TRUE(inSet(U'\t', CharSet::Whitespace));
  EXPECT_FALSE(inSet(U'\n', CharSet::Whitespace)) << "a newline is not plain whitespace";
  EXPECT_TRUE(inSet(U'\u2028', CharSet::Newline));
  for (char32_t c : {U'0', U'9', U'\u0663', U'\U0001D7D8'})
    EXPECT_TRUE(inSet(c, CharSet::DecimalDigit)) << "U+" << std::hex << unsigned(c) << " is Nd";
  for (char32_t c : {U'a', U'\u00B2', U'\u2167', U'\uFFFC', char32_t(0xD800), char32_t(0x110000)})
    EXPECT_FALSE(inSet(c, CharSet::DecimalDigit)) << "U+" << std::hex << unsigned(c) << " is not Nd";
  EXPECT_TRUE(inSet(U'\u0301', CharSet::Letter)) << "combining marks count as letters";
  EXPECT_TRUE(inSet(U'\u00B2', CharSet::Alphanumeric));
  EXPECT_TRUE(inSet(U'(', CharSet::Punctuation));
  EXPECT_TRUE(kNotDigit.contains(U'x'));
  EXPECT_FALSE(kNotDigit.contains(U'5'));
}

TEST(TextCharSet, SplitsAtEverySeparatorKeepingEmptyWords) {
  using Words = std::vector<std::u16string>;
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u"a  b", kSpace), (Words{u"a", u"", u"b"}));
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u" a", kSpace), (Words{u"", u"a"}));
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u"a\n", kSpace), (Words{u"a", u""}));
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u"", kSpace), (Words{u""}));
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u"3\u00A0Seasons", kSpace), (Words{u"3", u"Seasons"}))
      << "a no-break space separates";
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u"2019\uFFFC16+ x", kSpace), (Words{u"2019\uFFFC16+", u"x"}))
      << "the object replacement character is part of a word";
  EXPECT_EQ(componentsSeparatedByCharactersInSet(u"1\U0001F6002", kNotDigit), (Words{u"1", u"2"}))
      << "a surrogate pair is one separator, not two";
}

TEST(TextCharSet, FindsTheFirstMemberWithItsUtf16Length) {
  EXPECT_EQ(rangeOfCharacterFromSet(u"2019\uFFFC16+", kNotDigit), (Range{4, 1}))
      << "the object replacement character is not a digit";
  EXPECT_EQ(rangeOfCharacterFromSet(u"12\U0001F600", kNotDigit), (Range{2, 2})) << "a surrogate pair has length 2";
  EXPECT_EQ(rangeOfCharacterFromSet(u"x\U0001D7D8", CharacterSet{CharSet::DecimalDigit}), (Range{1, 2}))
      << "a supplementary digit is found whole";
  EXPECT_FALSE(rangeOfCharacterFromSet(u"1995", kNotDigit).found());
  EXPECT_FALSE(rangeOfCharacterFromSet(u"", kNotDigit).found());
  EXPECT_EQ(rangeOfCharacterFromSet(std::u16string{u'1', char16_t(0xDC00)}, kNotDigit), (Range{1, 1}))
      << "a lone surrogate is a character of length 1";
}
