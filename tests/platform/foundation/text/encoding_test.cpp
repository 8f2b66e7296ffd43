#include "platform/foundation/text/encoding.h"

#include <gtest/gtest.h>

using text::fromUtf8;
using text::toUtf8;

TEST(TextEncoding, DecodesWellFormedUtf8IncludingSupplementaryAndNul) {
  using namespace std::string_view_literals;
  auto decoded = fromUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\0z"sv);
  ASSERT_TRUE(decoded) << "valid UTF-8 must decode";
  EXPECT_EQ(*decoded, std::u16string(u"a\u00E9\u20AC\U0001F600\0z", 7)) << "NUL is an ordinary character";
  EXPECT_EQ(fromUtf8(""), std::u16string()) << "empty data is an empty string, not a failure";
}

TEST(TextEncoding, RejectsEveryKindOfIllFormedSequence) {
  for (std::string_view bad : {"\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xE2\x82", "\x80", "\xFF",
                               "\xC3(", "\xEF\xBB\xBF\xC3"}) {
    EXPECT_EQ(fromUtf8(bad), std::nullopt) << "ill-formed input must give nil, got a string for byte length "
                                           << bad.size();
  }
}

TEST(TextEncoding, DropsOnlyOneLeadingByteOrderMark) {
  EXPECT_EQ(fromUtf8("\xEF\xBB\xBFhi"), u"hi") << "a leading BOM is not text";
  EXPECT_EQ(fromUtf8("\xEF\xBB\xBF"), u"") << "a lone BOM decodes to empty text";
  EXPECT_EQ(fromUtf8("\xEF\xBB\xBF\xEF\xBB\xBFx"), u"\uFEFFx") << "only the first BOM is dropped";
  EXPECT_EQ(fromUtf8("x\xEF\xBB\xBF"), u"x\uFEFF") << "U+FEFF inside the text is kept";
}

TEST(TextEncoding, EncodesAndReplacesLoneSurrogates) {
  EXPECT_EQ(toUtf8(u"a\u00E9\U0001F600"), "a\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(toUtf8(std::u16string{u'x', char16_t(0xD800), u'y', char16_t(0xDC00)}), "x\xEF\xBF\xBDy\xEF\xBF\xBD")
      << "lone lead and trail surrogates each become U+FFFD";
  EXPECT_EQ(toUtf8(u""), "");
}
