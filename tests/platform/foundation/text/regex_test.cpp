#include "platform/foundation/text/regex.h"

#include <gtest/gtest.h>

#include <thread>

using namespace text;

namespace {

Regex mustCompile(std::u16string_view pattern, unsigned options = 0) {
  RegexCompilation c = Regex::compile(pattern, options);
  if (!c) ADD_FAILURE() << "pattern failed to compile: " << c.error;
  return *c.regex;
}

std::u16string group(std::u16string_view text, const Match& m, std::size_t g) {
  return std::u16string(text.substr(m.at(g).location, m.at(g).length));
}

}  // namespace

TEST(TextRegex, RemovesParenthesisedGroupsWithOneLeadingSpace) {
  const Regex parens = mustCompile(uR"(\s?\([^)]*\))", RegexCaseInsensitive);
  struct Case {
    std::u16string_view in, want;
  };
  for (const Case& c : {Case{u"Heat (1995)", u"Heat"}, Case{u"(A) B", u" B"}, Case{u"A  (x)", u"A "},
                        Case{u"A (x", u"A (x"}, Case{u"A (b (c) d)", u"A d)"}, Case{u"X (1) Y (2)", u"X Y"},
                        Case{u"A\u00A0(x)", u"A"}, Case{u"", u""}}) {
    EXPECT_EQ(parens.replaceAll(c.in, u""), c.want) << "removing parentheses from a title gave a different text";
  }
}

TEST(TextRegex, FirstMatchReportsCaptureGroupRanges) {
  const Regex name = mustCompile(uR"re(name:\s*"([^"]+)")re");
  const std::u16string_view text = u"Value(\U0001F600 name:  \"The Crown\", id: 1) name: \"Other\"";
  std::optional<Match> m = name.firstMatch(text);
  ASSERT_TRUE(m) << "the description holds a name";
  ASSERT_EQ(m->size(), 2u) << "whole match plus one group";
  EXPECT_EQ(group(text, *m, 1), u"The Crown") << "the first match wins";
  EXPECT_EQ(m->at(0).location, 9u) << "offsets are UTF-16 units (the emoji counts 2)";
  EXPECT_FALSE(name.firstMatch(u"name: \"\"")) << "an empty name does not match";
  EXPECT_FALSE(name.firstMatch(u"NAME: \"x\"")) << "no options means case-sensitive";
}

TEST(TextRegex, MatchesAreNonOverlappingAndHonourTheRange) {
  const Regex r = mustCompile(u"(a)|(b)");
  const std::u16string_view text = u"abxab";
  std::vector<Match> all = r.matches(text);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[1][0], (Range{1, 1}));
  EXPECT_FALSE(all[1][1].found()) << "group 1 took no part in matching b";
  EXPECT_EQ(all[1][2], (Range{1, 1}));
  std::vector<Match> tail = r.matches(text, {2, 2});
  ASSERT_EQ(tail.size(), 1u) << "only the a inside the range";
  EXPECT_EQ(tail[0][0], (Range{3, 1})) << "ranges are in whole-text coordinates";
  EXPECT_EQ(mustCompile(u"^a").matches(text, {3, 2}).size(), 1u) << "the range start anchors ^";
  EXPECT_EQ(mustCompile(u"x*").matches(u"ab").size(), 3u) << "empty matches advance, one per position";
}

TEST(TextRegex, ReplaceAllExpandsTheTemplate) {
  const Regex r = mustCompile(u"(\\w+)@(\\w+)");
  EXPECT_EQ(r.replaceAll(u"x a@b y", u"$2 at $1"), u"x b at a y");
  EXPECT_EQ(r.replaceAll(u"a@b", u"[$0]"), u"[a@b]");
  EXPECT_EQ(r.replaceAll(u"a@b", u"\\$1\\\\"), u"$1\\") << "backslash escapes $ and itself";
  EXPECT_EQ(r.replaceAll(u"a@b", u"$12"), u"a2") << "digits beyond the group count are literal";
  EXPECT_EQ(r.replaceAll(u"a@b", u"$9|$x|$"), u"|$x|$") << "unknown group is empty; $ without digit is literal";
  EXPECT_EQ(mustCompile(u"(a)|b").replaceAll(u"ab", u"<$1>"), u"<a><>") << "a group that took no part is empty";
  EXPECT_EQ(r.replaceAll(u"a@b c@d", {4, 3}, u"X"), u"a@b X") << "text outside the range is kept";
}

TEST(TextRegex, OptionsMapToIcuFlags) {
  EXPECT_EQ(mustCompile(u"heat", RegexCaseInsensitive).matches(u"HEAT Heat").size(), 2u);
  EXPECT_EQ(mustCompile(u"\u00E9T\u00C9", RegexCaseInsensitive).matches(u"\u00C9t\u00E9").size(), 1u)
      << "case-insensitive covers accented letters";
  EXPECT_EQ(mustCompile(u"a.b", RegexIgnoreMetacharacters).matches(u"axb a.b").size(), 1u);
  EXPECT_EQ(mustCompile(u"^b", RegexAnchorsMatchLines).matches(u"a\nb").size(), 1u);
  EXPECT_EQ(mustCompile(u"a.b", RegexDotMatchesLineSeparators).matches(u"a\nb").size(), 1u);
  const Regex r = mustCompile(u"(x)(y)?", RegexCaseInsensitive);
  EXPECT_EQ(r.captureGroupCount(), 2u);
  EXPECT_EQ(r.pattern(), u"(x)(y)?");
  EXPECT_EQ(r.options(), unsigned(RegexCaseInsensitive));
}

TEST(TextRegex, CompileFailureIsAValueWithIcuReason) {
  RegexCompilation bad = Regex::compile(u"a(b");
  EXPECT_FALSE(bad) << "an unbalanced parenthesis must not compile";
  EXPECT_NE(bad.error.find("U_REGEX_MISMATCHED_PAREN"), std::string::npos) << "got: " << bad.error;
  EXPECT_TRUE(Regex::compile(u"a(b)")) << "error text: " << Regex::compile(u"a(b)").error;
}

TEST(TextRegex, OnePatternServesManyThreadsAtOnce) {
  const Regex parens = mustCompile(uR"(\s?\([^)]*\))", RegexCaseInsensitive);
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (parens.replaceAll(u"Heat (1995)", u"") != u"Heat") ++wrong[t];
        if (parens.matches(u"a (b) c (d)").size() != 2) ++wrong[t];
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t << " saw a wrong result";
}

TEST(TextRegexDeathTest, RangePastTheEndAborts) {
  const Regex r = mustCompile(u"a");
  EXPECT_DEATH(r.matches(u"abc", {2, 2}), "past the end");
}
