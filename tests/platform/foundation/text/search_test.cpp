#include "platform/foundation/text/search.h"

#include <gtest/gtest.h>

using namespace text;

TEST(TextSearch, FindsLiteralCaseSensitiveFromAnIndex) {
  EXPECT_EQ(find(u"abcabc", u"bc"), 1u);
  EXPECT_EQ(find(u"abcabc", u"bc", 2), 4u) << "the search starts at from";
  EXPECT_EQ(find(u"abcabc", u"BC"), notFound) << "case-sensitive";
  EXPECT_EQ(find(u"abc", u"c", 3), notFound) << "from at the end is allowed and finds nothing";
  EXPECT_EQ(find(u"\U0001F600x", u"x"), 2u) << "indices are UTF-16 units";
  EXPECT_TRUE(contains(u"3 Seasons", u"Season"));
  EXPECT_FALSE(contains(u"3 seasons", u"Season"));
  EXPECT_TRUE(hasPrefix(u"Heat (1995)", u"Heat"));
  EXPECT_TRUE(hasSuffix(u"Heat (1995)", u"(1995)"));
  EXPECT_FALSE(hasSuffix(u"5)", u"(1995)")) << "a needle longer than the text";
}

TEST(TextSearch, EmptyNeedleIsNeverFoundAsOnTheDevice) {
  EXPECT_EQ(find(u"abc", u""), notFound);
  EXPECT_FALSE(contains(u"abc", u""));
  EXPECT_FALSE(hasPrefix(u"abc", u""));
  EXPECT_FALSE(hasSuffix(u"", u""));
}

TEST(TextSearch, ReplaceAllIsNonOverlappingFromTheStart) {
  EXPECT_EQ(replaceAll(u"aaaa", u"aa", u"b"), u"bb");
  EXPECT_EQ(replaceAll(u"aaa", u"aa", u"b"), u"ba") << "left to right, no overlap";
  EXPECT_EQ(replaceAll(u"a.b.c", u".", u""), u"abc");
  EXPECT_EQ(replaceAll(u"xax", u"a", u"aa"), u"xaax") << "the replacement is not rescanned";
  EXPECT_EQ(replaceAll(u"abc", u"", u"z"), u"abc") << "an empty target replaces nothing";
  EXPECT_EQ(replaceAll(u"", u"a", u"z"), u"");
}

TEST(TextSearch, ToUpperIsFullAndLocaleIndependent) {
  EXPECT_EQ(toUpper(u"stra\u00DFe"), u"STRASSE") << "ß expands to SS";
  EXPECT_EQ(toUpper(u"\uFB01x"), u"FIX") << "the fi ligature expands";
  EXPECT_EQ(toUpper(u"i\u00E9\U00010428"), u"I\u00C9\U00010400") << "root locale: no dotted capital I; Deseret";
  EXPECT_EQ(toUpper(u""), u"");
  // A default-constructed view has a null pointer, which ICU once rejected as an illegal argument.
  EXPECT_EQ(toUpper(std::u16string_view{}), u"") << "an empty view without storage is still empty text";
}

TEST(TextSearchDeathTest, StartBeyondTheEndAborts) {
  EXPECT_DEATH(find(u"abc", u"a", 4), "beyond the end");
}
