// The cache and the tokens are used from the main queue and the session's
// queue at once. Run under -DSCORELENS_SANITIZE=thread to catch races; the
// assertions catch torn updates in any build.

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <string>
#include <thread>

#include "lookup_fixture.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"

using namespace lookup_test;

namespace {
constexpr int kRounds = 400;
constexpr int kTokenRounds = 4000;
constexpr long kFirstKey = 7'700'000;  // away from other tests' identifiers
}  // namespace

TEST(SharedManagerConcurrency, CacheStaysWholeUnderTwoThreads) {
  CXEnhancedRatingsManager* manager = CXEnhancedRatingsManager::sharedInstance();
  std::latch start(2);
  std::atomic<bool> lostRating{false};
  // Counted before each add, so a miss after fewer adds than the capacity
  // cannot be an eviction: on a loaded machine the other thread may well
  // fill the whole cache between one thread's add and its look-up.
  std::atomic<NSUInteger> adds{0};
  auto writer = [&](long first) {
    start.arrive_and_wait();
    for (int i = 0; i < kRounds; ++i) {
      Ref<NSNumber> key = box(first + i);
      NSUInteger before = adds.fetch_add(1);
      manager->addEnhancedRating_withVideoId(make<CXEnhancedRating>(), key);
      if (!manager->enhancedRatingForVideoId(key) && adds.load() - before <= CXEnhancedRatingsManager::kCacheCapacity)
        lostRating = true;
    }
  };
  std::thread one(writer, kFirstKey);
  std::thread two(writer, kFirstKey + kRounds);
  one.join();
  two.join();

  EXPECT_FALSE(lostRating) << "a rating just added must be found";
  NSUInteger cached = manager->enhancedRatingCache()->count();
  EXPECT_EQ(cached, CXEnhancedRatingsManager::kCacheCapacity);
  EXPECT_EQ(manager->enhancedRatingCacheOrderedKeys()->count(), cached) << "keys and entries must stay in step";
}

TEST(SharedManagerConcurrency, ASearchRequestReadsBothTokensFromOnePairWhileAnotherThreadWritesThem) {
  CXEnhancedRatingsManager* manager = CXEnhancedRatingsManager::sharedInstance();
  manager->setAIdAlgoliaToken_sIdAlgoliaToken(ns("APP0"), ns("KEY0"));
  std::atomic<bool> reading{true};
  std::thread writer([&] {
    // The home page's handler stores new pairs while the main thread builds searches.
    for (int i = 0; reading; ++i) {
      std::string n = std::to_string(i % 2);
      manager->setAIdAlgoliaToken_sIdAlgoliaToken(ns("APP" + n), ns("KEY" + n));
    }
  });
  int torn = 0;
  for (int i = 0; i < kTokenRounds; ++i) {
    Ref<NSURLRequest> request = CXEnhancedRatingsManager::algoliaAPIRequestForTitle(ns("Heat"));
    if (!request) {
      ++torn;
      continue;
    }
    std::string digit = utf8(request->URL()->host()).substr(3, 1);
    if (utf8(request->URL()->query()).find("x-algolia-api-key=KEY" + digit + "&") == std::string::npos) ++torn;
  }
  reading = false;
  writer.join();
  manager->setAIdAlgoliaToken_sIdAlgoliaToken(nullptr, nullptr);
  EXPECT_EQ(torn, 0) << "requests mixed the identifier of one token pair with the key of another";
}
