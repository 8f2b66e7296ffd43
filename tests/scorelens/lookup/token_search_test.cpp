// The home page is searched as bytes once it is known to be UTF-8; these
// pin that the answers are those of a search in the decoded text.

#include <gtest/gtest.h>

#include <string>

#include "lookup_fixture.h"
#include "scorelens/lookup/answers.h"

namespace {

std::optional<lookup::SessionTokens> tokensInPage(const std::string& page) {
  return lookup::sessionTokensFromHomePage(NSData::dataWithBytes(page), nullptr);
}

const std::string kAccentedSettings =
    R"(root.RottenTomatoes.thirdParty = {"algoliaSearch":{"aId":"ÄPP","sId":"kéy"},"x":{}};)";

TEST(TokenSearch, FindsTheSettingsAmongOtherCharacters) {
  auto tokens = tokensInPage("\xEF\xBB\xBF<p>Amélie, 東京物語, 🍅</p>" + kAccentedSettings);
  ASSERT_TRUE(tokens) << "a byte order mark and characters of every length before the marker";
  EXPECT_EQ(utf8(tokens->applicationId), "ÄPP");
  EXPECT_EQ(utf8(tokens->apiKey), "kéy");
}

TEST(TokenSearch, TheWholePageMustBeUtf8) {
  const std::string tail = std::string(4096, 'x');
  for (std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xFF"}) {
    EXPECT_FALSE(tokensInPage(kAccentedSettings + tail + bad)) << "an ill-formed sequence after the settings";
    EXPECT_FALSE(tokensInPage(bad + tail + kAccentedSettings)) << "an ill-formed sequence before the settings";
  }
  EXPECT_TRUE(tokensInPage(kAccentedSettings + tail + std::string("\0", 1))) << "a NUL is a character like any other";
}

}  // namespace
