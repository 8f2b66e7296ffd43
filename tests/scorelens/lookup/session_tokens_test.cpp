// Cutting the search tokens out of the ratings site's home page.

#include <gtest/gtest.h>

#include <string>

#include "lookup_fixture.h"
#include "scorelens/lookup/answers.h"

using namespace lookup_test;

namespace {
std::optional<lookup::SessionTokens> tokensFrom(const std::string& page) {
  return lookup::sessionTokensFromHomePage(NSData::dataWithBytes(page), nullptr);
}

const std::string kMarker = "root.RottenTomatoes.thirdParty = ";
const std::string kSettings = R"({"other":{"x":1},"algoliaSearch":{"aId":"79FRDP12PN","sId":"secret"}})";
}  // namespace

TEST(SessionTokenCut, ReadsBothTokensFromTheSettingsAfterTheMarker) {
  std::string page = "<html><script>var a = {};\n" + kMarker + kSettings + ";\nroot.next = {}};</script></html>";
  auto tokens = tokensFrom(page);
  ASSERT_TRUE(tokens) << "a well-formed page must yield tokens";
  EXPECT_EQ(utf8(tokens->applicationId), "79FRDP12PN");
  EXPECT_EQ(utf8(tokens->apiKey), "secret");
}

TEST(SessionTokenCut, CutsAtTheFirstDoubleBraceSemicolon) {
  // Three braces deep at the end: the cut keeps the last two before the ";".
  auto nested = tokensFrom(kMarker + R"({"algoliaSearch":{"aId":"A","sId":"S","deep":{"x":{}}}};)");
  ASSERT_TRUE(nested) << "an object nested three deep at its end must be cut after its last brace";
  EXPECT_EQ(utf8(nested->apiKey), "S");

  EXPECT_FALSE(tokensFrom(kMarker + R"({"algoliaSearch":{"aId":"A","sId":"S"}, "x": 1};)"))
      << "one closing brace and a semicolon, and no \"}};\" anywhere after: nothing to cut";
  EXPECT_FALSE(tokensFrom(kMarker + R"({"note":"}};","algoliaSearch":{"aId":"A","sId":"S"}};)"))
      << "a \"}};\" inside a string ends the cut early and leaves invalid JSON";
}

TEST(SessionTokenCut, NeedsTheExactMarkerWithItsTrailingSpace) {
  EXPECT_FALSE(tokensFrom("root.RottenTomatoes.thirdParty =" + kSettings + ";"));
  EXPECT_FALSE(tokensFrom("root.rottentomatoes.thirdParty = " + kSettings + ";")) << "the search is case-sensitive";
}

TEST(SessionTokenCut, RejectsMissingEmptyOrMistypedTokensWhole) {
  EXPECT_FALSE(tokensFrom(kMarker + R"({"algoliaSearch":{"aId":"A","sId":""}};)")) << "empty key";
  EXPECT_FALSE(tokensFrom(kMarker + R"({"algoliaSearch":{"aId":12,"sId":"S"}};)")) << "identifier as a number";
  EXPECT_FALSE(tokensFrom(kMarker + R"({"algoliaSearch":{"sId":"S","x":{}}};)")) << "identifier missing";
  EXPECT_FALSE(tokensFrom(kMarker + R"({"algoliaSearch":"A","x":{}};)")) << "settings not an object";
  EXPECT_FALSE(tokensFrom(kMarker + R"([{"algoliaSearch":{"aId":"A","sId":"S"}}];)")) << "top level not an object";
}

TEST(SessionTokenCut, FailsWithoutAUsableBody) {
  std::string good = kMarker + kSettings + ";";
  EXPECT_FALSE(lookup::sessionTokensFromHomePage(nullptr, nullptr)) << "no data";
  EXPECT_FALSE(lookup::sessionTokensFromHomePage(NSData::dataWithBytes(good),
                                                 NSError::error(NSURLErrorDomain, -1005, "connection lost")))
      << "a transport error wins over whatever data arrived";
  EXPECT_FALSE(tokensFrom("")) << "empty page";
  EXPECT_FALSE(tokensFrom("\xff\xfe" + good)) << "a page that is not UTF-8";
}
