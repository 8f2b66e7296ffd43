#include <gtest/gtest.h>

#include <vector>

#include "platform/foundation/NSValue.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"

namespace {
// A manager of its own per test: the cache starts empty. (Making one also
// makes an idle URL session, which costs a thread and nothing else.)
class RatingCache : public ::testing::Test {
 protected:
  Ref<CXEnhancedRatingsManager> manager = make<CXEnhancedRatingsManager>();

  Ref<CXEnhancedRating> add(long key) {
    Ref<CXEnhancedRating> rating = make<CXEnhancedRating>();
    manager->addEnhancedRating_withVideoId(rating, box(key));
    return rating;
  }
  std::vector<long> orderedKeys() const {
    std::vector<long> keys;
    for (const StrongId& key : *manager->enhancedRatingCacheOrderedKeys())
      keys.push_back(objc_cast<NSNumber>(key.get())->integerValue());
    return keys;
  }
  bool holds(long key) const { return manager->enhancedRatingForVideoId(box(key)) != nullptr; }
};
}  // namespace

TEST_F(RatingCache, SixteenKeysEvictTheFirstAndListTheRestNewestFirst) {
  for (long key = 1; key <= 16; ++key) add(key);
  EXPECT_FALSE(holds(1)) << "the oldest key must go when the 16th arrives";
  for (long key = 2; key <= 16; ++key) EXPECT_TRUE(holds(key)) << key;
  EXPECT_EQ(manager->enhancedRatingCache()->count(), 15u);
  std::vector<long> expected;
  for (long key = 16; key >= 2; --key) expected.push_back(key);
  EXPECT_EQ(orderedKeys(), expected);
}

TEST_F(RatingCache, ReAddingMovesAKeyToTheFrontWithoutEvicting) {
  for (long key = 1; key <= 15; ++key) add(key);
  add(1);  // the oldest, refreshed
  EXPECT_EQ(manager->enhancedRatingCache()->count(), 15u) << "a re-add evicts nothing";
  EXPECT_EQ(orderedKeys().front(), 1);
  add(16);
  EXPECT_TRUE(holds(1)) << "the refreshed key is no longer the oldest";
  EXPECT_FALSE(holds(2)) << "the second oldest goes instead";
}

TEST_F(RatingCache, ReadingDoesNotProtectAKeyFromEviction) {
  for (long key = 1; key <= 15; ++key) add(key);
  ASSERT_TRUE(holds(1));
  add(16);
  EXPECT_FALSE(holds(1)) << "a lookup must not reorder";
}

TEST_F(RatingCache, ReAddingWithAnotherRecordKeepsTheFirstRecord) {
  Ref<CXEnhancedRating> first = add(7);
  Ref<CXEnhancedRating> second = add(7);
  EXPECT_EQ(manager->enhancedRatingForVideoId(box(7)).get(), first.get())
      << "holders of the first record must keep seeing the cached one";
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(orderedKeys(), std::vector<long>{7}) << "each key is listed once";
}

TEST_F(RatingCache, KeysCompareByValueAndNilIsIgnored) {
  Ref<CXEnhancedRating> rating = add(42);
  EXPECT_EQ(manager->enhancedRatingForVideoId(NSNumber::numberWithDouble(42.0)).get(), rating.get());
  manager->addEnhancedRating_withVideoId(nullptr, box(43));
  manager->addEnhancedRating_withVideoId(rating, nullptr);
  EXPECT_EQ(manager->enhancedRatingForVideoId(nullptr), nullptr);
  EXPECT_EQ(orderedKeys(), std::vector<long>{42});
}
