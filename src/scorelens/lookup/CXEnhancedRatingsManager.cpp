// The manager's shared state: creation, the rating cache and the token slots.

#include "scorelens/lookup/CXEnhancedRatingsManager.h"

#include "platform/dispatch/dispatch.h"

CXEnhancedRatingsManager::CXEnhancedRatingsManager()
    : enhancedRatingCache_(NSMutableDictionary::dictionaryWithCapacity(kCacheCapacity)),
      enhancedRatingCacheOrderedKeys_(NSMutableArray::arrayWithCapacity(kCacheCapacity)),
      enhancedRatingSession_(
          NSURLSession::sessionWithConfiguration(NSURLSessionConfiguration::defaultSessionConfiguration())) {}

CXEnhancedRatingsManager* CXEnhancedRatingsManager::sharedInstance() {
  static dispatch_once_t guard = 0;
  static CXEnhancedRatingsManager* shared = nullptr;
  dispatch_once(&guard, [] {
    Ref<CXEnhancedRatingsManager> manager = make<CXEnhancedRatingsManager>();
    manager->makeImmortal();
    shared = manager.leak();
  });
  return shared;
}

Ref<CXEnhancedRating> CXEnhancedRatingsManager::enhancedRatingForVideoId(NSNumber* videoId) const {
  if (!videoId) return nullptr;
  std::lock_guard lock(lock_);
  if (!enhancedRatingCache_) return nullptr;
  return objc_cast<CXEnhancedRating>(enhancedRatingCache_->objectForKey(videoId));
}

void CXEnhancedRatingsManager::addEnhancedRating_withVideoId(CXEnhancedRating* rating, NSNumber* videoId) {
  if (!rating || !videoId) return;
  std::lock_guard lock(lock_);
  if (!enhancedRatingCache_ || !enhancedRatingCacheOrderedKeys_) return;
  NSMutableDictionary* cache = enhancedRatingCache_;
  NSMutableArray* keys = enhancedRatingCacheOrderedKeys_;
  // Callers hand the same shared record in again to refresh its place; the
  // stored record stays, so nobody's reference goes stale.
  if (cache->objectForKey(videoId))
    keys->removeObject(videoId);
  else
    cache->setObject_forKey(rating, videoId);
  keys->insertObject_atIndex(videoId, 0);
  if (keys->count() > kCacheCapacity) {
    StrongId oldest = keys->lastObject();
    cache->removeObjectForKey(oldest);
    keys->removeLastObject();
  }
}

Ref<NSMutableDictionary> CXEnhancedRatingsManager::enhancedRatingCache() const {
  std::lock_guard lock(lock_);
  return enhancedRatingCache_;
}
void CXEnhancedRatingsManager::setEnhancedRatingCache(NSMutableDictionary* cache) {
  std::lock_guard lock(lock_);
  enhancedRatingCache_ = cache;
}
Ref<NSMutableArray> CXEnhancedRatingsManager::enhancedRatingCacheOrderedKeys() const {
  std::lock_guard lock(lock_);
  return enhancedRatingCacheOrderedKeys_;
}
void CXEnhancedRatingsManager::setEnhancedRatingCacheOrderedKeys(NSMutableArray* keys) {
  std::lock_guard lock(lock_);
  enhancedRatingCacheOrderedKeys_ = keys;
}
Ref<NSURLSession> CXEnhancedRatingsManager::enhancedRatingSession() const {
  std::lock_guard lock(lock_);
  return enhancedRatingSession_;
}
void CXEnhancedRatingsManager::setEnhancedRatingSession(NSURLSession* session) {
  std::lock_guard lock(lock_);
  enhancedRatingSession_ = session;
}
Ref<NSString> CXEnhancedRatingsManager::aIdAlgoliaToken() const {
  std::lock_guard lock(lock_);
  return aIdAlgoliaToken_;
}
void CXEnhancedRatingsManager::setAIdAlgoliaToken(NSString* token) {
  std::lock_guard lock(lock_);
  aIdAlgoliaToken_ = token;
}
Ref<NSString> CXEnhancedRatingsManager::sIdAlgoliaToken() const {
  std::lock_guard lock(lock_);
  return sIdAlgoliaToken_;
}
void CXEnhancedRatingsManager::setSIdAlgoliaToken(NSString* token) {
  std::lock_guard lock(lock_);
  sIdAlgoliaToken_ = token;
}
void CXEnhancedRatingsManager::setAIdAlgoliaToken_sIdAlgoliaToken(NSString* applicationId, NSString* apiKey) {
  std::lock_guard lock(lock_);
  aIdAlgoliaToken_ = applicationId;
  sIdAlgoliaToken_ = apiKey;
}

bool CXEnhancedRatingsManager::hasValidSessionTokens() {
  CXEnhancedRatingsManager* manager = sharedInstance();
  std::lock_guard lock(manager->lock_);
  return manager->aIdAlgoliaToken_ && manager->sIdAlgoliaToken_;
}
