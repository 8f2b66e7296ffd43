// The search tokens, read from the settings that the ratings site publishes in
// its home page.

#include "platform/foundation/NSJSONSerialization.h"
#include "scorelens/lookup/answers.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/CXServiceConfiguration.h"
#include "scorelens/lookup/request_support.h"

using namespace lookup;

namespace {
// The page assigns its outside services' settings to this variable; the object
// ends at the first "}};" after it (its last member is itself an object).
constexpr const char* kSettingsMarker = "root.RottenTomatoes.thirdParty = ";
constexpr const char* kSettingsEnd = "}};";
}  // namespace

std::optional<SessionTokens> lookup::sessionTokensFromHomePage(const NSData* data, const NSError* error) {
  if (!data || error) return std::nullopt;
  Ref<NSString> page = NSString::stringWithData(data, NSUTF8StringEncoding);
  if (!page || page->length() == 0) return std::nullopt;
  NSRange marker = page->rangeOfString(ns(kSettingsMarker));
  if (marker.location == static_cast<NSUInteger>(NSNotFound)) return std::nullopt;
  Ref<NSString> rest = page->substringFromIndex(marker.location + marker.length);
  NSRange end = rest->rangeOfString(ns(kSettingsEnd));
  if (end.location == static_cast<NSUInteger>(NSNotFound)) return std::nullopt;
  // Keep the two braces, drop the semicolon.
  Ref<NSString> json = rest->substringToIndex(end.location + 2);

  Ref<NSError> decodeError;
  StrongId settings =
      NSJSONSerialization::JSONObjectWithData_options_error(json->dataUsingEncoding(NSUTF8StringEncoding), 0, &decodeError);
  if (decodeError || !objc_cast<NSDictionary>(settings.get())) return std::nullopt;
  NSDictionary* search = member<NSDictionary>(settings.get(), "algoliaSearch");
  NSString* applicationId = nonEmptyText(search, "aId");
  NSString* apiKey = nonEmptyText(search, "sId");
  if (!applicationId || !apiKey) return std::nullopt;
  return SessionTokens{applicationId, apiKey};
}

Ref<NSURLRequest> CXEnhancedRatingsManager::homepageRequest() {
  Ref<NSURL> url = httpsURL(CXServiceConfiguration::current().ratingsHost);
  if (!url) return nullptr;
  Ref<NSMutableURLRequest> request =
      newRequest(url, "GET",
                 {
                     {"accept", ns("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8")},
                     {"accept-encoding", ns("gzip, deflate, br")},
                     {"accept-language", ns("en-US,en;q=0.9")},
                     {"user-agent", ns(kUserAgent)},
                 });
  return objc_cast<NSURLRequest>(request->copy().get());
}

Ref<NSURLSessionDataTask> CXEnhancedRatingsManager::homepageDataTaskWithCompletionHandler(CXHomepageHandler handler) {
  Ref<NSURLRequest> request = homepageRequest();
  Ref<NSURLSession> session = sharedInstance()->enhancedRatingSession();
  if (!request || !session) return nullptr;
  return session->dataTaskWithRequest_completionHandler(
      request, [handler = std::move(handler)](NSData* data, NSURLResponse*, NSError* error) {
        std::optional<SessionTokens> tokens = sessionTokensFromHomePage(data, error);
        // Tokens already held stay as they were when the page yields none.
        if (tokens) sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(tokens->applicationId, tokens->apiKey);
        if (handler) handler(!tokens);
      });
}
