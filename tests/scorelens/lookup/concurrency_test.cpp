// The cache and the tokens are used from the main queue and the session's
// queue at once. Run under -DSCORELENS_SANITIZE=thread to catch races; the
// assertions catch torn updates in any build.

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>

#include "lookup_fixture.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"

using namespace lookup_test;

namespace {
constexpr int kRounds = 400;
constexpr long kFirstKey = 7'700'000;  // away from other tests' identifiers
}  // namespace

TEST(SharedManagerConcurrency, CacheAndTokensStayWholeUnderTwoThreads) {
  CXEnhancedRatingsManager* manager = CXEnhancedRatingsManager::sharedInstance();
  std::latch start(2);
  bool tornTokens = false;
  bool lostRating = false;

  std::thread cacheWriter([&] {
    start.arrive_and_wait();
    for (int i = 0; i < kRounds; ++i) {
      Ref<NSNumber> key = box(kFirstKey + i);
      manager->addEnhancedRating_withVideoId(make<CXEnhancedRating>(), key);
      if (!manager->enhancedRatingForVideoId(key)) lostRating = true;  // nobody else evicts this soon
    }
  });
  std::thread tokenWriter([&] {
    start.arrive_and_wait();
    for (int i = 0; i < kRounds; ++i) {
      std::string n = std::to_string(i % 7);
      manager->setAIdAlgoliaToken_sIdAlgoliaToken(ns("APP" + n), ns("KEY" + n));
      // The search request reads both tokens; they must come from one pair.
      Ref<NSURLRequest> request = CXEnhancedRatingsManager::algoliaAPIRequestForTitle(ns("Heat"));
      if (!request) continue;
      std::string host = utf8(request->URL()->host());
      std::string query = utf8(request->URL()->query());
      std::string digit = host.substr(3, 1);
      if (query.find("x-algolia-api-key=KEY" + digit + "&") == std::string::npos) tornTokens = true;
      manager->enhancedRatingForVideoId(box(kFirstKey + i));  // reads race with the writer
    }
  });
  cacheWriter.join();
  tokenWriter.join();
  manager->setAIdAlgoliaToken_sIdAlgoliaToken(nullptr, nullptr);

  EXPECT_FALSE(lostRating) << "a rating just added must be found";
  EXPECT_FALSE(tornTokens) << "a request mixed the identifier of one token pair with the key of another";
  NSUInteger cached = manager->enhancedRatingCache()->count();
  EXPECT_EQ(cached, CXEnhancedRatingsManager::kCacheCapacity);
  EXPECT_EQ(manager->enhancedRatingCacheOrderedKeys()->count(), cached) << "keys and entries must stay in step";
  for (long i = kRounds - 15; i < kRounds; ++i)
    EXPECT_NE(manager->enhancedRatingForVideoId(box(kFirstKey + i)), nullptr) << "the newest 15 stay cached";
}
