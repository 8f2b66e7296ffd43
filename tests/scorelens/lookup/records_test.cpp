#include <gtest/gtest.h>

#include "lookup_fixture.h"
#include "scorelens/lookup/CXEnhancedRating.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"

using namespace lookup_test;

TEST(Records, NewRecordsStartEmptyAndAModelHasNoSeasonCount) {
  Ref<CXEnhancedRating> rating = make<CXEnhancedRating>();
  EXPECT_EQ(rating->emsId(), nullptr);
  EXPECT_EQ(rating->url(), nullptr);
  EXPECT_FALSE(rating->hasCriticRating() || rating->hasAudienceRating() || rating->isCertified() ||
               rating->isValidated() || rating->isMovie());
  EXPECT_EQ(rating->criticRating(), 0.0);
  EXPECT_EQ(rating->audienceRating(), 0.0);

  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  EXPECT_EQ(model->numSeasons(), -1) << "-1 means no count was gathered, not 0";
  EXPECT_FALSE(model->isMovie());
  EXPECT_EQ(model->title(), nullptr);
  EXPECT_EQ(model->actors(), nullptr);
}

TEST(Records, ClassesAreKnownToTheRunTimeByTheirNames) {
  for (const char* name : {"CXEnhancedRating", "CXVideoDisplayPageModel", "CXEnhancedRatingsManager", "CXPrefsManager"})
    EXPECT_NE(objc_getClass(name), nullptr) << name << " is not registered when the module loads";
  EXPECT_EQ(object_getClass(make<CXEnhancedRating>().get()), objc_getClass("CXEnhancedRating"));
}

TEST(ModelTitle, CleansANewTitleObjectButNotTheSameObjectAgain) {
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  Ref<NSString> title = ns("Heat (1995)");
  model->setTitle(title);
  EXPECT_EQ(utf8(model->title()), "Heat (1995)");
  EXPECT_EQ(utf8(model->titleNoParens()), "Heat");

  model->setTitleNoParens(ns("Set directly"));
  model->setTitle(title);
  EXPECT_EQ(utf8(model->titleNoParens()), "Set directly") << "the same object must not recompute";
  model->setTitle(ns("Heat (1995)"));
  EXPECT_EQ(utf8(model->titleNoParens()), "Heat") << "an equal text in another object recomputes";
  model->setTitle(nullptr);
  EXPECT_EQ(model->titleNoParens(), nullptr);
}

TEST(ModelCast, SplitsTheCastLineAtCommaSpaceOnly) {
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  model->setActorsFromCastString(ns("Cast: A, B, C"));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({"A", "B", "C"})));
  model->setActorsFromCastString(ns("A,B"));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({"A,B"}))) << "a comma without a space does not split";
  model->setActorsFromCastString(ns(""));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({""}))) << "an empty line is one empty name";
  model->setActorsFromCastString(ns("Cast:  A , B"));
  EXPECT_TRUE(objc_isEqual(model->actors(), names({" A ", "B"}))) << "pieces are not trimmed";
}

TEST(ModelRuntime, MatchesWithinAMinuteOfTheWholeMinutes) {
  Ref<CXVideoDisplayPageModel> model = film("Heat", 1995, 5400);
  for (long minutes : {89L, 90L, 91L}) EXPECT_TRUE(model->hasRuntimeMatchForRuntimeMinutes(minutes)) << minutes;
  for (long minutes : {88L, 92L}) EXPECT_FALSE(model->hasRuntimeMatchForRuntimeMinutes(minutes)) << minutes;
  model->setRuntime(box(5459));
  EXPECT_TRUE(model->hasRuntimeMatchForRuntimeMinutes(89)) << "5459 s is 90 whole minutes";
  EXPECT_FALSE(model->hasRuntimeMatchForRuntimeMinutes(92));
}

namespace {
Ref<NSNumber> unusedVideoId() {
  // The cache is process-wide; identifiers far from other tests' keep tests apart.
  static long next = 9'100'000;
  return box(next++);
}
}  // namespace

TEST(ModelCompleteness, NeedsAnIdentifierTitleYearAndTheKindsEvidence) {
  Ref<CXVideoDisplayPageModel> movie = film("Heat", 1995, 6000);
  EXPECT_FALSE(movie->hasCompleteModel()) << "no video identifier";
  movie->setVideoId(unusedVideoId());
  EXPECT_TRUE(movie->hasCompleteModel());
  movie->setRuntime(nullptr);
  movie->setNumSeasons(3);
  EXPECT_FALSE(movie->hasCompleteModel()) << "a film needs a runtime; seasons do not count";
  movie->setRuntime(box(6000));
  movie->setReleaseYear(nullptr);
  EXPECT_FALSE(movie->hasCompleteModel()) << "no release year";
  movie->setReleaseYear(box(1995));
  movie->setTitle(ns(""));
  EXPECT_FALSE(movie->hasCompleteModel()) << "an empty title";

  Ref<CXVideoDisplayPageModel> show = series("Dark");
  show->setVideoId(unusedVideoId());
  show->setReleaseYear(box(2017));
  EXPECT_FALSE(show->hasCompleteModel()) << "a season count never gathered";
  show->setNumSeasons(0);
  EXPECT_FALSE(show->hasCompleteModel()) << "a count of 0";
  show->setNumSeasons(3);
  EXPECT_TRUE(show->hasCompleteModel()) << "a series needs no runtime";
}

TEST(ModelCompleteness, ACachedRatingCompletesAModelWithOnlyItsIdentifier) {
  Ref<CXVideoDisplayPageModel> model = make<CXVideoDisplayPageModel>();
  Ref<NSNumber> videoId = unusedVideoId();
  model->setVideoId(videoId);
  EXPECT_FALSE(model->hasCompleteModel());
  CXEnhancedRatingsManager::sharedInstance()->addEnhancedRating_withVideoId(make<CXEnhancedRating>(),
                                                                            box(videoId->longLongValue()));
  EXPECT_TRUE(model->hasCompleteModel()) << "found by the identifier's value, not its object";
}

TEST(ModelCopy, IsIndependentOfLaterChanges) {
  Ref<CXVideoDisplayPageModel> model = film("Heat (1995)", 1995, 6000);
  Ref<NSMutableArray> cast = NSMutableArray::array();
  cast->addObject(ns("Al Pacino"));
  model->setActors(cast);
  Ref<CXVideoDisplayPageModel> copy = model->copyModel();
  cast->addObject(ns("Robert De Niro"));
  model->setTitle(ns("Other"));
  EXPECT_EQ(utf8(copy->titleNoParens()), "Heat");
  EXPECT_EQ(copy->actors()->count(), 1u) << "the copy holds its own list";
  EXPECT_TRUE(copy->isMovie());
  EXPECT_TRUE(objc_isEqual(copy->runtime(), box(6000)));
  Ref<NSObject> copied = static_cast<const NSObject&>(*copy).copy();
  EXPECT_TRUE(objc_cast<CXVideoDisplayPageModel>(copied.get())) << "NSObject's copy makes a model too";
}
