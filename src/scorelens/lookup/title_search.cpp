// The title search: one query to the hosted index of the ratings site, sent
// the way the site's own browser search client sends it.

#include <string>

#include "platform/foundation/NSJSONSerialization.h"
#include "scorelens/lookup/answers.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/CXServiceConfiguration.h"
#include "scorelens/lookup/request_support.h"

using namespace lookup;

namespace {
constexpr const char* kSearchAgent = "Algolia for JavaScript (4.17.0); Browser (lite)";
constexpr const char* kSearchPath = "/1/indexes/*/queries";
constexpr const char* kIndexName = "content_rt";
// Already percent-encoded: searchable titles only, 20 hits, the header search's
// analytics tag, click analytics on.
constexpr const char* kSearchParams =
    "filters=isEmsSearchable%20%3D%201&hitsPerPage=20&analyticsTags=%5B%22header_search%22%5D&clickAnalytics=true";

// Host names are ASCII; anything else makes a host the URL builder rejects.
std::string asciiLowercase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

Ref<NSURLQueryItem> item(const char* name, const NSString* value) {
  return NSURLQueryItem::queryItemWithName_value(ns(name), value);
}
}  // namespace

SearchOutcome lookup::searchOutcomeFromAnswer(CXVideoDisplayPageModel* model, const NSData* data, const NSError* error) {
  SearchOutcome outcome;
  if (!data || error) return outcome;
  Ref<NSError> decodeError;
  StrongId answer = NSJSONSerialization::JSONObjectWithData_options_error(data, 0, &decodeError);
  if (decodeError || !answer) return outcome;
  outcome.rating = CXEnhancedRatingsManager::enhancedRatingForVideoDisplayPageModel_fromSearchResults(model, answer);
  outcome.failed = false;
  return outcome;
}

Ref<NSURLRequest> CXEnhancedRatingsManager::algoliaAPIRequestForTitle(NSString* title) {
  if (!title) return nullptr;
  Ref<NSString> applicationId, apiKey;
  {
    // One read of both, so a concurrent token update cannot mix two pairs.
    CXEnhancedRatingsManager* manager = sharedInstance();
    std::lock_guard lock(manager->lock_);
    applicationId = manager->aIdAlgoliaToken_;
    apiKey = manager->sIdAlgoliaToken_;
  }
  // Without tokens the host would be made from nothing; the caller only asks
  // when both are held, so this is a request that cannot be built.
  if (!applicationId || !apiKey) return nullptr;

  Ref<NSDictionary> query = NSDictionary::dictionaryWithObjectsAndKeys({
      {ns("indexName"), ns(kIndexName)},
      {ns("query"), Ref<NSString>(title)},
      {ns("params"), ns(kSearchParams)},
  });
  Ref<NSDictionary> payload =
      NSDictionary::dictionaryWithObjectsAndKeys({{ns("requests"), NSArray::arrayWithObjects({StrongId(query)})}});
  Ref<NSError> error;
  Ref<NSData> body = NSJSONSerialization::dataWithJSONObject_options_error(payload, 0, &error);
  if (!body || error) return nullptr;

  CXServiceConfiguration configuration = CXServiceConfiguration::current();
  Ref<NSArray> items = NSArray::arrayWithObjects({
      item("x-algolia-agent", ns(kSearchAgent)),
      item("x-algolia-api-key", apiKey),
      item("x-algolia-application-id", applicationId),
  });
  Ref<NSURL> url =
      httpsURL(asciiLowercase(applicationId->UTF8String()) + configuration.searchHostSuffix, ns(kSearchPath), items);
  Ref<NSString> origin = httpsRoot(configuration.ratingsHost);
  if (!url || !origin) return nullptr;
  Ref<NSMutableURLRequest> request = newRequest(url, "POST",
                                                {
                                                    {"accept", ns("*/*")},
                                                    {"accept-encoding", ns("gzip, deflate, br")},
                                                    {"accept-language", ns("en-US,en;q=0.9")},
                                                    // What the site's client sends, although the body is JSON.
                                                    {"content-type", ns("application/x-www-form-urlencoded")},
                                                    {"origin", origin},
                                                    {"referer", origin},
                                                    {"user-agent", ns(kUserAgent)},
                                                });
  request->setHTTPBody(body);
  return objc_cast<NSURLRequest>(request->copy().get());
}

Ref<NSURLSessionDataTask> CXEnhancedRatingsManager::algoliaAPIDataTaskForVideoDisplayPageModel_completionHandler(
    CXVideoDisplayPageModel* model, CXRatingHandler handler) {
  if (!model) return nullptr;
  Ref<NSURLRequest> request = algoliaAPIRequestForTitle(model->titleNoParens());
  Ref<NSURLSession> session = sharedInstance()->enhancedRatingSession();
  if (!request || !session) return nullptr;
  // The completion reads the facts on the session's queue while the hooks may
  // still be filling the model on the main thread: match against a snapshot.
  return session->dataTaskWithRequest_completionHandler(
      request, [model = model->copyModel(), handler = std::move(handler)](NSData* data, NSURLResponse*, NSError* error) {
        SearchOutcome outcome = searchOutcomeFromAnswer(model, data, error);
        if (handler) handler(outcome.rating, outcome.failed);
      });
}
