#include "platform/foundation/text/compare.h"

#include <gtest/gtest.h>

using text::compare;
using text::Ordering;
using text::CompareCaseInsensitive;
using text::CompareLiteral;
using text::CompareNumeric;

TEST(TextCompare, DefaultOrdersByCodeUnitsWithPrefixLower) {
  EXPECT_EQ(compare(u"abc", u"abc"), Ordering::Same);
  EXPECT_EQ(compare(u"ab", u"abc"), Ordering::Ascending) << "a proper prefix is lower";
  EXPECT_EQ(compare(u"b", u"a"), Ordering::Descending);
  EXPECT_EQ(compare(u"Z", u"a"), Ordering::Ascending) << "no case folding without the option";
  EXPECT_EQ(compare(u"\uFFFF", u"\U00010000", CompareLiteral), Ordering::Descending)
      << "code unit order: U+FFFF is above the lead surrogate of U+10000";
}

TEST(TextCompare, NumericComparesDigitRunsByValue) {
  struct Case {
    std::u16string_view a, b;
    Ordering want;
  };
  for (const Case& c : {Case{u"9.100.0", u"9.19.0", Ordering::Descending},
                        Case{u"9.18.1", u"9.100.0", Ordering::Ascending},
                        Case{u"16.1", u"16.1.0", Ordering::Ascending},
                        Case{u"15.0.9", u"15.1.0", Ordering::Ascending},
                        Case{u"15.1.0", u"15.1.0", Ordering::Same},
                        Case{u"007", u"7", Ordering::Same},
                        Case{u"a10", u"a9", Ordering::Descending},
                        Case{u"99999999999999999999999999", u"100000000000000000000000000", Ordering::Ascending},
                        Case{u"123456789012345678901234567", u"123456789012345678901234568", Ordering::Ascending},
                        Case{u"1a", u"1!", Ordering::Descending}}) {
    EXPECT_EQ(compare(c.a, c.b, CompareNumeric), c.want)
        << "numeric compare of " << std::string(c.a.begin(), c.a.end()) << " with "
        << std::string(c.b.begin(), c.b.end());
  }
  EXPECT_EQ(compare(u"9.100.0", u"9.19.0"), Ordering::Ascending) << "without the option digits are characters";
}

TEST(TextCompare, CaseInsensitiveUsesFullCaseFolding) {
  EXPECT_EQ(compare(u"heat", u"HEAT", CompareCaseInsensitive), Ordering::Same);
  EXPECT_EQ(compare(u"stra\u00DFe", u"STRASSE", CompareCaseInsensitive), Ordering::Same) << "ß folds to ss";
  EXPECT_EQ(compare(u"\u00C9cole", u"\u00E9COLE", CompareCaseInsensitive), Ordering::Same) << "É folds to é";
  EXPECT_EQ(compare(u"\u00C9cole", u"ecole", CompareCaseInsensitive), Ordering::Descending)
      << "accents are not ignored";
  EXPECT_EQ(compare(u"\u03A3\u039F\u03A3", u"\u03C3\u03BF\u03C2", CompareCaseInsensitive), Ordering::Same)
      << "final sigma folds like sigma";
  EXPECT_EQ(compare(u"Heat", u"heats", CompareCaseInsensitive), Ordering::Ascending);
  EXPECT_EQ(compare(u"The Office", u"the office", CompareCaseInsensitive | CompareNumeric), Ordering::Same);
  EXPECT_EQ(compare(u"V9", u"v10", CompareCaseInsensitive | CompareNumeric), Ordering::Ascending);
  EXPECT_EQ(compare({}, u"", CompareCaseInsensitive), Ordering::Same) << "a null empty view folds to empty text";
}

TEST(TextCompareDeathTest, UnsupportedOptionAborts) {
  EXPECT_DEATH(compare(u"a", u"b", 128), "unsupported") << "diacritic-insensitive is not offered";
}
