// From an accepted search hit to a rating record, and the certified answer.

#include <gtest/gtest.h>

#include "lookup_fixture.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/answers.h"

using namespace lookup_test;

namespace {
Ref<CXEnhancedRating> extract(const std::string& hit, bool isMovie = true) {
  return CXEnhancedRatingsManager::enhancedRatingForEntry_isMovie(json(hit), isMovie);
}
}  // namespace

TEST(RatingExtraction, ReadsIdentifierLinkAndBothScores) {
  Ref<CXEnhancedRating> rating = extract(
      R"({"emsId":"e-1","vanity":"heat_1995","rottenTomatoes":{"criticsScore":87.6,"audienceScore":94}})");
  EXPECT_EQ(utf8(rating->emsId()), "e-1");
  ASSERT_NE(rating->url(), nullptr);
  EXPECT_EQ(utf8(rating->url()->absoluteString()), "https://www.rottentomatoes.com/m/heat_1995");
  EXPECT_TRUE(rating->hasCriticRating());
  EXPECT_EQ(rating->criticRating(), 87.0) << "a fraction is dropped";
  EXPECT_TRUE(rating->hasAudienceRating());
  EXPECT_EQ(rating->audienceRating(), 94.0);
  EXPECT_TRUE(rating->isMovie());
  EXPECT_FALSE(rating->isValidated());
}

TEST(RatingExtraction, SeriesLinksUnderTvAndThePageNameIsPercentEncoded) {
  Ref<CXEnhancedRating> show = extract(R"({"vanity":"dark"})", false);
  EXPECT_EQ(utf8(show->url()->absoluteString()), "https://www.rottentomatoes.com/tv/dark");
  EXPECT_FALSE(show->isMovie());
  Ref<CXEnhancedRating> spaced = extract(R"({"vanity":"la la land"})");
  EXPECT_EQ(utf8(spaced->url()->absoluteString()), "https://www.rottentomatoes.com/m/la%20la%20land");
  EXPECT_EQ(extract(R"({"vanity":""})")->url(), nullptr) << "an empty page name gives no link";
}

TEST(RatingExtraction, MistypedOrMissingValuesLeaveTheirFieldsUnset) {
  Ref<CXEnhancedRating> rating =
      extract(R"({"emsId":7,"vanity":["x"],"rottenTomatoes":{"criticsScore":"90","audienceScore":null}})");
  EXPECT_EQ(rating->emsId(), nullptr);
  EXPECT_EQ(rating->url(), nullptr);
  EXPECT_FALSE(rating->hasCriticRating()) << "a score given as text is no score";
  EXPECT_FALSE(rating->hasAudienceRating());
  Ref<CXEnhancedRating> bare = extract(R"({"rottenTomatoes":[]})");
  EXPECT_FALSE(bare->hasCriticRating() || bare->hasAudienceRating());

  Ref<CXEnhancedRating> zero = extract(R"({"rottenTomatoes":{"audienceScore":0}})");
  EXPECT_TRUE(zero->hasAudienceRating()) << "a present zero is a score";
  EXPECT_EQ(zero->audienceRating(), 0.0);
}

TEST(RatingExtraction, TrustsTheHitsCertifiedFlagOnlyForFilmsAboveSeventyFive) {
  Ref<CXEnhancedRating> above = extract(R"({"rottenTomatoes":{"criticsScore":76,"certifiedFresh":true}})");
  EXPECT_TRUE(above->isCertified() && above->isValidated());
  Ref<CXEnhancedRating> at = extract(R"({"rottenTomatoes":{"criticsScore":75,"certifiedFresh":true}})");
  EXPECT_FALSE(at->isCertified() || at->isValidated()) << "75 itself is left for the certified-status service";
  Ref<CXEnhancedRating> show = extract(R"({"rottenTomatoes":{"criticsScore":90,"certifiedFresh":true}})", false);
  EXPECT_FALSE(show->isCertified() || show->isValidated()) << "a series is never certified";
  Ref<CXEnhancedRating> notFresh = extract(R"({"rottenTomatoes":{"criticsScore":90,"certifiedFresh":false}})");
  EXPECT_FALSE(notFresh->isCertified() || notFresh->isValidated()) << "only a YES from the hit settles it";
}

TEST(CertifiedAnswer, SettlesOnlyWithANumericFlagInsideTheTomatometer) {
  auto outcome = [](const std::string& body) {
    return lookup::certifiedOutcomeFromAnswer(NSData::dataWithBytes(body), nullptr);
  };
  auto yes = outcome(R"({"tomatometer":{"certifiedFresh":true}})");
  EXPECT_TRUE(yes.certified && !yes.failed);
  auto no = outcome(R"({"tomatometer":{"certifiedFresh":false}})");
  EXPECT_TRUE(!no.certified && !no.failed) << "settled, not certified";
  for (const char* body : {R"({"tomatometer":{}})", R"({"tomatometer":{"certifiedFresh":"true"}})",
                           R"({"tomatometer":true})", R"([1])", "not json"}) {
    auto unsettled = outcome(body);
    EXPECT_TRUE(!unsettled.certified && unsettled.failed) << body;
  }
  auto lost = lookup::certifiedOutcomeFromAnswer(NSData::dataWithBytes(R"({"tomatometer":{"certifiedFresh":true}})"),
                                                 NSError::error(NSURLErrorDomain, -1005, "lost"));
  EXPECT_TRUE(!lost.certified && lost.failed) << "a transport error is never settled";
  EXPECT_TRUE(lookup::certifiedOutcomeFromAnswer(nullptr, nullptr).failed);
}
