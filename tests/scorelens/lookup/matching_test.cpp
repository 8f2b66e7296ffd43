// Choosing the search hit that is the page's title.

#include <gtest/gtest.h>

#include "lookup_fixture.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/answers.h"

using namespace lookup_test;
using M = CXEnhancedRatingsManager;

namespace {
bool accepts(CXVideoDisplayPageModel* model, const std::string& hit) {
  return M::enhancedRatingForVideoDisplayPageModel_fromEntry(model, json(hit)) != nullptr;
}
bool titlesMatch(const char* ours, const char* theirs) {
  return M::entryHasTitleMatchForTitle_entry(ns(ours), json(std::string(R"({"title":")") + theirs + R"("})"));
}
}  // namespace

TEST(TitleMatching, IgnoresCaseAndParenthesesAndBridgesOneLeadingThe) {
  EXPECT_TRUE(titlesMatch("heat", "HEAT"));
  EXPECT_TRUE(titlesMatch("M", "M (1931)")) << "one letter is a title";
  EXPECT_TRUE(titlesMatch("Heat", "Heat (1995)"));
  EXPECT_TRUE(titlesMatch("Office", "The Office"));
  EXPECT_TRUE(titlesMatch("The Office", "Office"));
  EXPECT_FALSE(titlesMatch("Office", "An Office")) << "only \"the\" is bridged";
  EXPECT_FALSE(titlesMatch("The The Office", "Office")) << "and only once";
  EXPECT_FALSE(titlesMatch("Heat ", "Heat")) << "nothing is trimmed";
  EXPECT_FALSE(titlesMatch("", "")) << "an empty title never matches";
  EXPECT_FALSE(M::entryHasTitleMatchForTitle_entry(ns("Heat"), json(R"({"title":5})")));
  EXPECT_FALSE(accepts(film("", 1995), R"({"type":"movie","title":"Heat","releaseYear":"1995"})"))
      << "a page without a title matches no hit";
}

TEST(TitleMatching, ComparesFullCaseFoldsOnBothSidesOfTheBridge) {
  EXPECT_TRUE(titlesMatch("Straße", "STRASSE")) << "full folding, as caseInsensitiveCompare: does";
  EXPECT_TRUE(titlesMatch("the Straße", "STRASSE"));
  EXPECT_TRUE(titlesMatch("Heat", "THE HEAT (1995)"));
  EXPECT_TRUE(titlesMatch("Heat (1995)", "the heat"));
  EXPECT_FALSE(titlesMatch("Heat", "Heat [1995]")) << "only parentheses are removed";
  EXPECT_FALSE(titlesMatch("Thé Office", "Office")) << "no accent folding";
  Ref<CXVideoDisplayPageModel> amelie = film("Amélie", 2001);
  EXPECT_TRUE(M::enhancedRatingForVideoDisplayPageModel_fromSearchResults(
      amelie, json(R"j({"results":[{"hits":[{"type":"movie","title":"AMÉLIE (2001)","releaseYear":"2001"}]}]})j")))
      << "the walk compares as the single test does";
}

TEST(HitMatching, AFilmIsAcceptedOnItsYearOnlyWhenTheHitsYearIsText) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995);
  EXPECT_TRUE(accepts(heat, R"j({"type":"movie","title":"Heat (1995)","releaseYear":"1995"})j"));
  EXPECT_FALSE(accepts(heat, R"({"type":"movie","title":"Heat","releaseYear":1995})"))
      << "a year given as a number never matches";
  EXPECT_FALSE(accepts(heat, R"({"type":"movie","title":"Heat","releaseYear":"1996"})"));
}

TEST(HitMatching, AFilmIsAcceptedOnItsRuntimeWithinAMinute) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995, 5400);
  EXPECT_TRUE(accepts(heat, R"({"type":"movie","title":"Heat","releaseYear":"1994","runTime":91})"));
  EXPECT_TRUE(accepts(heat, R"({"type":"movie","title":"Heat","runTime":89.9})")) << "the fraction is dropped";
  EXPECT_FALSE(accepts(heat, R"({"type":"movie","title":"Heat","runTime":92})"));
  EXPECT_FALSE(accepts(heat, R"({"type":"movie","title":"Heat","runTime":"90"})")) << "text never matches";
  Ref<CXVideoDisplayPageModel> noRuntime = film("Heat", 1995);
  EXPECT_FALSE(accepts(noRuntime, R"({"type":"movie","title":"Heat","runTime":0})"))
      << "a model without a runtime is not matched on runtime";
}

TEST(HitMatching, KindMustMatchExactly) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995);
  for (const char* type : {"Movie", "series", "tv", ""})
    EXPECT_FALSE(accepts(heat, std::string(R"({"type":")") + type + R"(","title":"Heat","releaseYear":"1995"})"))
        << type;
  Ref<CXVideoDisplayPageModel> show = series("Heat", 2);
  EXPECT_FALSE(accepts(show, R"({"type":"movie","title":"Heat","seasons":[1,2]})"));
}

TEST(HitMatching, ASeriesIsAcceptedOnItsSeasonCountAndNeverOnYear) {
  Ref<CXVideoDisplayPageModel> dark = series("Dark", 3);
  dark->setReleaseYear(box(2017));
  EXPECT_TRUE(accepts(dark, R"({"type":"tv","title":"Dark","seasons":[{},{},{}]})"));
  EXPECT_FALSE(accepts(dark, R"({"type":"tv","title":"Dark","seasons":[{},{}],"releaseYear":"2017"})"))
      << "a series is not compared on its year";
  Ref<CXVideoDisplayPageModel> uncounted = series("Dark");
  EXPECT_FALSE(accepts(uncounted, R"({"type":"tv","title":"Dark","seasons":[]})"))
      << "without a gathered count the season test is skipped";
  uncounted->setActors(names({"Louis Hofmann"}));
  EXPECT_TRUE(accepts(uncounted, R"({"type":"tv","title":"Dark","cast":[{"name":"Louis Hofmann"}]})"))
      << "cast decides instead";
}

TEST(HitMatching, EvidenceCountsOnlyForItsOwnKindAndTitle) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995, 10200);
  EXPECT_FALSE(accepts(heat, R"({"type":"movie","title":"Ronin","releaseYear":"1995","runTime":170})"))
      << "a matching year and runtime do not rescue another title";
  heat->setNumSeasons(2);
  EXPECT_FALSE(accepts(heat, R"({"type":"movie","title":"Heat","releaseYear":"1990","seasons":[{},{}]})"))
      << "a film is never matched on its seasons";
  Ref<CXVideoDisplayPageModel> dark = series("Dark", 3);
  dark->setRuntime(box(3600L));
  EXPECT_FALSE(accepts(dark, R"({"type":"tv","title":"Dark","runTime":60,"seasons":[{},{}]})"))
      << "a series is never matched on its running time";
  EXPECT_FALSE(accepts(dark, R"({"type":"tv","title":"Dark","seasons":[{},{},{},{}]})"))
      << "more seasons than the page shows is no match either";
}

TEST(HitMatching, OneSharedCastOrCrewNameIsEnoughEvidence) {
  Ref<CXVideoDisplayPageModel> model = film("Heat", 1995, 6000);
  const std::string other = R"("type":"movie","title":"Heat","releaseYear":"1986","runTime":60)";
  EXPECT_FALSE(accepts(model, "{" + other + R"(,"cast":[{"name":"Al Pacino"}],"crew":[{"name":"Michael Mann"}]})"))
      << "no facts and no names: rejected";
  model->setCreators(names({"Michael Mann"}));
  EXPECT_TRUE(accepts(model, "{" + other + R"(,"crew":[{"name":"Michael Mann","role":"Director"}]})"))
      << "a crew name counts whatever list holds it";
  model->setCreators(nullptr);
  model->setWriters(names({"Michael Mann"}));
  EXPECT_TRUE(accepts(model, "{" + other + R"(,"crew":[{"name":"Michael Mann"}]})")) << "through the writers";
  model->setWriters(nullptr);
  model->setDirectors(names({"Michael Mann"}));
  EXPECT_TRUE(accepts(model, "{" + other + R"(,"crew":[{"name":"Michael Mann"}]})")) << "through the directors";
  model->setDirectors(nullptr);
  model->setActors(names({"al pacino"}));
  EXPECT_FALSE(accepts(model, "{" + other + R"(,"cast":[{"name":"Al Pacino"}]})")) << "names compare with case";
}

TEST(HitMatching, CountsSkipMalformedPeopleAndCountCrewOncePerMember) {
  Ref<NSArray> people = names({"A", "B"});
  StrongId hit = json(R"({"cast":[{"name":"A"},"B",{"name":2},{"name":"A"}],"crew":[{"name":"B"},{"role":"x"}]})");
  EXPECT_EQ(M::entryCastMatchesForActors_entry(people, hit), 2) << "a name twice in the cast counts twice";
  EXPECT_EQ(M::entryCrewMatchesForWriters_directors_creators_entry(people, people, people, hit), 1)
      << "a crew member in several lists counts once";
  EXPECT_EQ(M::entryCastMatchesForActors_entry(nullptr, hit), 0);
  EXPECT_EQ(M::entryCrewMatchesForWriters_directors_creators_entry(nullptr, nullptr, nullptr, hit), 0);
}

TEST(SearchAnswer, TheFirstAgreeingHitOfTheFirstResultWins) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995);
  StrongId answer = json(R"({"results":[{"hits":[
      "not an object",
      {"type":"movie","title":"Heat","releaseYear":"1972","emsId":"wrong-year"},
      {"type":"movie","title":"Heat","releaseYear":"1995","emsId":"first"},
      {"type":"movie","title":"Heat","releaseYear":"1995","emsId":"second"}]},
      {"hits":[{"type":"movie","title":"Heat","releaseYear":"1995","emsId":"other-result"}]}]})");
  Ref<CXEnhancedRating> rating = M::enhancedRatingForVideoDisplayPageModel_fromSearchResults(heat, answer);
  ASSERT_NE(rating, nullptr);
  EXPECT_EQ(utf8(rating->emsId()), "first");
}

TEST(SearchAnswer, TheFirstPassingHitEndsTheWalkEvenWhenALaterOneAgreesOnMore) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995, 10200);
  heat->setActors(names({"Al Pacino"}));
  StrongId answer = json(R"({"results":[{"hits":[
      {"type":"movie","title":"Heat","releaseYear":"1986","cast":[{"name":"Al Pacino"}],"emsId":"cast-only"},
      {"type":"movie","title":"Heat","releaseYear":"1995","runTime":170,"cast":[{"name":"Al Pacino"}],"emsId":"all"}]}]})");
  Ref<CXEnhancedRating> rating = M::enhancedRatingForVideoDisplayPageModel_fromSearchResults(heat, answer);
  ASSERT_NE(rating, nullptr);
  EXPECT_EQ(utf8(rating->emsId()), "cast-only");
}

TEST(SearchAnswer, AnswersWithoutUsableHitsGiveNoRating) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995);
  const char* const answers[] = {
      R"({"results":[]})",
      R"({"results":[{"hits":[]}]})",
      R"({"results":[{"hits":{}}]})",
      R"({"results":[[]]})",
      R"({"message":"Invalid Application-ID or API key","status":403})",
      R"([{"results":[]}])",
      R"({"results":[{"hits":[]},{"hits":[{"type":"movie","title":"Heat","releaseYear":"1995"}]}]})",
  };
  for (const char* answer : answers)
    EXPECT_EQ(M::enhancedRatingForVideoDisplayPageModel_fromSearchResults(heat, json(answer)), nullptr) << answer;
}

TEST(SearchAnswer, OnlyUndecodableOrMissingAnswersFail) {
  Ref<CXVideoDisplayPageModel> heat = film("Heat", 1995);
  auto outcome = [&](const char* body) {
    return lookup::searchOutcomeFromAnswer(heat, NSData::dataWithBytes(body), nullptr);
  };
  auto matched = outcome(R"({"results":[{"hits":[{"type":"movie","title":"Heat","releaseYear":"1995"}]}]})");
  EXPECT_TRUE(matched.rating && !matched.failed);
  auto refused = outcome(R"({"message":"Invalid API key"})");
  EXPECT_TRUE(!refused.rating && !refused.failed) << "a JSON error object is an answer without a match";
  auto garbage = outcome("<html>502</html>");
  EXPECT_TRUE(!garbage.rating && garbage.failed);
  EXPECT_TRUE(lookup::searchOutcomeFromAnswer(heat, nullptr, nullptr).failed);
}
