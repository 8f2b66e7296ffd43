// The search tokens, read from the settings that the ratings site publishes in
// its home page.

#include <algorithm>
#include <functional>
#include <string_view>

#include "platform/foundation/NSJSONSerialization.h"
#include "platform/foundation/text/encoding.h"
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
  // The page is searched as bytes once it is known to be UTF-8: the marker and
  // the end are ASCII, so they match exactly where they would in the text,
  // and no UTF-16 copy of a page of a megabyte is made.
  const std::string_view page = data->bytes();
  if (page.empty() || !text::isUtf8(page)) return std::nullopt;
  const std::string_view marker = kSettingsMarker;
  const auto markerAt = std::search(page.begin(), page.end(),
                                    std::boyer_moore_horspool_searcher(marker.begin(), marker.end()));
  if (markerAt == page.end()) return std::nullopt;
  const std::string_view rest = page.substr(static_cast<std::size_t>(markerAt - page.begin()) + marker.size());
  const std::size_t end = rest.find(kSettingsEnd);
  if (end == std::string_view::npos) return std::nullopt;
  // Keep the two braces, drop the semicolon.
  Ref<NSData> json = NSData::dataWithBytes(rest.substr(0, end + 2));

  Ref<NSError> decodeError;
  StrongId settings = NSJSONSerialization::JSONObjectWithData_options_error(json, 0, &decodeError);
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
