#pragma once
// CXEnhancedRatingsManager: the one process-wide owner of the rating lookup's
// shared state (the URL session, the two search tokens, the rating cache), and
// the class operations that make up a lookup: tokens from the ratings site's
// home page, the title search, the matching of its hits, the extraction of a
// rating, the certified-status lookup and the entry that chains them.
//
// Threads: the cache and the tokens are used from the main queue and from the
// session's serial callback queue; each cache operation and each token update
// is one step under the manager's lock. Every network completion, and so every
// handler below, runs on the session's callback queue, never the main queue.
// Nothing here throws or logs; the HTTP status is never examined and nothing
// is retried.

#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/foundation/NSURLSession.h"
#include "scorelens/lookup/CXEnhancedRating.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"

// (rating or nil, failed). A rating never comes with failed YES. The rating
// pointer is valid for the call; retain it to keep it.
using CXRatingHandler = std::function<void(CXEnhancedRating* rating, bool failed)>;
// (failed): whether the home page yielded both tokens.
using CXHomepageHandler = std::function<void(bool failed)>;
// (certified, failed): (YES or NO, NO) when the answer settled the status,
// (NO, YES) otherwise.
using CXCertifiedHandler = std::function<void(bool certified, bool failed)>;

class CXEnhancedRatingsManager : public NSObject {
 public:
  // The cache holds at most this many ratings.
  static constexpr NSUInteger kCacheCapacity = 15;

  // init: empty cache and key list, a session on the default configuration
  // (made here, so transport settings must be in place before), no tokens.
  // Use sharedInstance; other instances are for tests of the cache alone.
  CXEnhancedRatingsManager();

  // The one manager, created on the first call (a one-time guard, so racing
  // first calls make one) and kept until the process ends. Any thread.
  static CXEnhancedRatingsManager* sharedInstance();

  // --- cache -------------------------------------------------------------------
  // The rating cached for videoId (compared by value), or nil. Does not
  // reorder. Any thread.
  Ref<CXEnhancedRating> enhancedRatingForVideoId(NSNumber* videoId) const;
  // Stores rating under videoId and moves the key to the front; a key already
  // cached keeps its first record. Past 15 keys, the key added least recently
  // is evicted. nil rating or key: nothing happens. Any thread.
  void addEnhancedRating_withVideoId(CXEnhancedRating* rating, NSNumber* videoId);

  // Plain accessors of the fields. The two collections are the live objects:
  // their contents belong to the manager's lock, so read the cache through
  // enhancedRatingForVideoId and change it through addEnhancedRating_withVideoId.
  Ref<NSMutableDictionary> enhancedRatingCache() const;
  void setEnhancedRatingCache(NSMutableDictionary* cache);
  Ref<NSMutableArray> enhancedRatingCacheOrderedKeys() const;
  void setEnhancedRatingCacheOrderedKeys(NSMutableArray* keys);
  Ref<NSURLSession> enhancedRatingSession() const;
  void setEnhancedRatingSession(NSURLSession* session);
  Ref<NSString> aIdAlgoliaToken() const;
  void setAIdAlgoliaToken(NSString* token);
  Ref<NSString> sIdAlgoliaToken() const;
  void setSIdAlgoliaToken(NSString* token);

  // Both tokens in one step, so no reader sees one without the other.
  void setAIdAlgoliaToken_sIdAlgoliaToken(NSString* applicationId, NSString* apiKey);

  // --- session tokens ------------------------------------------------------------
  // YES when the shared manager holds both tokens.
  static bool hasValidSessionTokens();
  // GET https://<ratings host> with the browser's headers; an immutable copy.
  // nil only when the configured host does not form a URL.
  static Ref<NSURLRequest> homepageRequest();
  // An unstarted task that reads the home page, stores both tokens when the
  // page yields them (else leaves the tokens as they were) and then calls
  // handler once with failed. nil (and no call) when no request can be built.
  static Ref<NSURLSessionDataTask> homepageDataTaskWithCompletionHandler(CXHomepageHandler handler);

  // --- title search ------------------------------------------------------------------
  // POST to the search host with the tokens of the shared manager and title as
  // the query; an immutable copy. nil when either token is missing, the title
  // is nil, or the body cannot be encoded.
  static Ref<NSURLRequest> algoliaAPIRequestForTitle(NSString* title);
  // An unstarted search task for model's titleNoParens, whose completion
  // matches the hits and calls handler once: (rating, NO), (nil, NO) for an
  // answer without a matching hit, (nil, YES) for no data, a transport error
  // or an answer that is not JSON. nil (and handler never called) when no
  // request can be built. The task keeps model and handler until it completes.
  static Ref<NSURLSessionDataTask> algoliaAPIDataTaskForVideoDisplayPageModel_completionHandler(
      CXVideoDisplayPageModel* model, CXRatingHandler handler);

  // --- matching (pure) -------------------------------------------------------------------
  // The rating of the first hit in results["results"][0]["hits"] that agrees
  // with model, or nil.
  static Ref<CXEnhancedRating> enhancedRatingForVideoDisplayPageModel_fromSearchResults(CXVideoDisplayPageModel* model,
                                                                                     id results);
  // The rating of entry when it agrees with model on kind, title and one piece
  // of stronger evidence (year or runtime, seasons, a shared cast or crew name).
  static Ref<CXEnhancedRating> enhancedRatingForVideoDisplayPageModel_fromEntry(CXVideoDisplayPageModel* model, id entry);
  // Titles equal ignoring case and parenthesised parts, bridging one leading "the ".
  static bool entryHasTitleMatchForTitle_entry(NSString* title, id entry);
  // How many of entry's cast names are in actors (exact text).
  static std::int64_t entryCastMatchesForActors_entry(NSArray* actors, id entry);
  // How many of entry's crew names are in any of the three lists (exact text).
  static std::int64_t entryCrewMatchesForWriters_directors_creators_entry(NSArray* writers, NSArray* directors,
                                                                         NSArray* creators, id entry);

  // --- extraction and certified lookup ---------------------------------------------------------
  // A new rating from a search hit; never nil. Mistyped or missing keys leave
  // their fields unset.
  static Ref<CXEnhancedRating> enhancedRatingForEntry_isMovie(id entry, bool isMovie);
  // GET https://<certified host>/api/ems/v2/emsId/<emsId>; an immutable copy.
  // nil for a nil or empty identifier.
  static Ref<NSURLRequest> flixsterAPIRequestForEMSId(NSString* emsId);
  // An unstarted certified-status task that calls handler once. nil (and no
  // call) when no request can be built.
  static Ref<NSURLSessionDataTask> certifiedDataTaskForEMSId_completionHandler(NSString* emsId,
                                                                             CXCertifiedHandler handler);

  // --- lookup entry -------------------------------------------------------------------------
  // An unstarted task for one title's lookup: the search itself when both
  // tokens are held, else the home page followed (once it yields tokens) by a
  // search that the manager starts itself. A started task calls handler at
  // most once: (rating, NO), (nil, NO) or (nil, YES), the last also when the
  // home page yields no tokens. Never reads or writes the cache. nil, and no
  // call, when no first request can be built; a task never started never calls.
  static Ref<NSURLSessionDataTask> ratingDataTaskForVideoDisplayPageModel_completionHandler(
      CXVideoDisplayPageModel* model, CXRatingHandler handler);

 private:
  mutable std::mutex lock_;  // guards every field below and the collections' contents
  Ref<NSMutableDictionary> enhancedRatingCache_;
  Ref<NSMutableArray> enhancedRatingCacheOrderedKeys_;
  Ref<NSURLSession> enhancedRatingSession_;
  Ref<NSString> aIdAlgoliaToken_;
  Ref<NSString> sIdAlgoliaToken_;
};
