#include "platform/foundation/text/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using text::doubleValue;
using text::integerValue;

TEST(TextNumber, IntegerValueReadsTheLeadingInteger) {
  EXPECT_EQ(integerValue(u"3"), 3);
  EXPECT_EQ(integerValue(u"  \n\t-42abc"), -42) << "leading whitespace skipped, stops at a letter";
  EXPECT_EQ(integerValue(u"+7"), 7);
  EXPECT_EQ(integerValue(u"Seasons"), 0) << "no digits";
  EXPECT_EQ(integerValue(u""), 0);
  EXPECT_EQ(integerValue(u"-"), 0);
  EXPECT_EQ(integerValue(u"- 5"), 0) << "the sign must touch the digits";
  EXPECT_EQ(integerValue(u"2019\uFFFC16"), 2019);
  EXPECT_EQ(integerValue(u"\u0663"), 0) << "only ASCII digits";
  EXPECT_EQ(integerValue(u"007"), 7);
}

TEST(TextNumber, IntegerValueClampsOnOverflow) {
  constexpr auto max = std::numeric_limits<std::int64_t>::max();
  constexpr auto min = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(integerValue(u"9223372036854775807"), max);
  EXPECT_EQ(integerValue(u"9223372036854775808"), max);
  EXPECT_EQ(integerValue(u"-9223372036854775808"), min) << "the most negative value is reachable";
  EXPECT_EQ(integerValue(u"-9223372036854775809"), min);
  EXPECT_EQ(integerValue(u"123456789012345678901234567890x"), max);
}

TEST(TextNumber, DoubleValueReadsTheLeadingDecimalNumber) {
  EXPECT_DOUBLE_EQ(doubleValue(u" 87.5%"), 87.5);
  EXPECT_DOUBLE_EQ(doubleValue(u"-1.5e3x"), -1500.0);
  EXPECT_DOUBLE_EQ(doubleValue(u".5"), 0.5);
  EXPECT_DOUBLE_EQ(doubleValue(u"1e"), 1.0) << "an exponent without digits is not part of the number";
  EXPECT_EQ(doubleValue(u"abc"), 0.0);
  EXPECT_EQ(doubleValue(u"0x10"), 0.0) << "no hexadecimal";
  EXPECT_EQ(doubleValue(u"inf"), 0.0) << "no infinity spelling";
  EXPECT_EQ(doubleValue(u"1e999"), HUGE_VAL);
  EXPECT_EQ(doubleValue(u"-1e999"), -HUGE_VAL);
}
