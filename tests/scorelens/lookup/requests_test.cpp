// The three outside requests, compared item by item with what the services
// expect: method, URL, cache policy, time-out, header fields in order, body.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lookup_fixture.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/CXServiceConfiguration.h"

using namespace lookup_test;

namespace {
using Headers = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kUserAgent =
    "Mozilla/5.0 (iPhone; CPU iPhone OS 16_4_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/16.4 Mobile/15E148 Safari/604.1";

Headers headersOf(const NSURLRequest* request) {
  Headers out;
  for (const auto& [name, value] : request->headerFields()) out.emplace_back(utf8(name), utf8(value));
  return out;
}

void expectCommon(const NSURLRequest* request, const char* method) {
  EXPECT_EQ(utf8(request->HTTPMethod()), method);
  EXPECT_EQ(request->cachePolicy(), NSURLRequestUseProtocolCachePolicy);
  EXPECT_EQ(request->timeoutInterval(), 30.0);
  EXPECT_EQ(objc_cast<NSMutableURLRequest>(const_cast<NSURLRequest*>(request)), nullptr)
      << "requests are handed out as immutable copies";
}

// Holds the given tokens for one test and leaves none behind.
class WithTokens {
 public:
  WithTokens(const char* applicationId, const char* apiKey) {
    CXEnhancedRatingsManager::sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(ns(applicationId), ns(apiKey));
  }
  ~WithTokens() { CXEnhancedRatingsManager::sharedInstance()->setAIdAlgoliaToken_sIdAlgoliaToken(nullptr, nullptr); }
};
}  // namespace

TEST(HomePageRequest, IsABrowserGetOfTheBareHost) {
  Ref<NSURLRequest> request = CXEnhancedRatingsManager::homepageRequest();
  ASSERT_NE(request, nullptr);
  expectCommon(request, "GET");
  EXPECT_EQ(utf8(request->URL()->absoluteString()), "https://www.rottentomatoes.com") << "nothing after the host";
  EXPECT_EQ(headersOf(request), (Headers{
                                    {"accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
                                    {"accept-encoding", "gzip, deflate, br"},
                                    {"accept-language", "en-US,en;q=0.9"},
                                    {"user-agent", kUserAgent},
                                }));
  EXPECT_EQ(request->HTTPBody(), nullptr);
}

TEST(SearchRequest, CarriesTheTitleOnlyInTheJsonBody) {
  WithTokens tokens("79FRDP12PN", "175588f6e5f8319b27702e4cc4013561");
  const std::string title = R"(Say "Hello" (Again) & Go)";
  Ref<NSURLRequest> request = CXEnhancedRatingsManager::algoliaAPIRequestForTitle(ns(title));
  ASSERT_NE(request, nullptr);
  expectCommon(request, "POST");
  EXPECT_EQ(utf8(request->URL()->absoluteString()),
            "https://79frdp12pn-dsn.algolia.net/1/indexes/*/queries"
            "?x-algolia-agent=Algolia%20for%20JavaScript%20(4.17.0);%20Browser%20(lite)"
            "&x-algolia-api-key=175588f6e5f8319b27702e4cc4013561"
            "&x-algolia-application-id=79FRDP12PN")
      << "host lower-cased, identifier unchanged, items in order agent, key, identifier";
  EXPECT_EQ(headersOf(request), (Headers{
                                    {"accept", "*/*"},
                                    {"accept-encoding", "gzip, deflate, br"},
                                    {"accept-language", "en-US,en;q=0.9"},
                                    {"content-type", "application/x-www-form-urlencoded"},
                                    {"origin", "https://www.rottentomatoes.com"},
                                    {"referer", "https://www.rottentomatoes.com"},
                                    {"user-agent", kUserAgent},
                                }));

  ASSERT_NE(request->HTTPBody(), nullptr);
  const std::string& body = request->HTTPBody()->bytes();
  EXPECT_NE(body.find(R"("query":"Say \"Hello\" (Again) & Go")"), std::string::npos)
      << "the title must travel as a JSON string with JSON escaping only: " << body;
  EXPECT_EQ(body.find('\n'), std::string::npos) << "written compactly";
  StrongId expected = json(R"({"requests":[{"indexName":"content_rt","query":"Say \"Hello\" (Again) & Go","params":)"
                           R"("filters=isEmsSearchable%20%3D%201&hitsPerPage=20&analyticsTags=%5B%22header_search%22%5D)"
                           R"(&clickAnalytics=true"}]})");
  EXPECT_TRUE(objc_isEqual(json(body), expected)) << body;
}

TEST(SearchRequest, IsNotBuiltWithoutATitleOrWithoutTokens) {
  {
    WithTokens tokens("APP", "KEY");
    EXPECT_EQ(CXEnhancedRatingsManager::algoliaAPIRequestForTitle(nullptr), nullptr);
  }
  ASSERT_FALSE(CXEnhancedRatingsManager::hasValidSessionTokens());
  EXPECT_EQ(CXEnhancedRatingsManager::algoliaAPIRequestForTitle(ns("Heat")), nullptr)
      << "without tokens there is no search host to send to";
}

TEST(SearchRequest, FollowsTheConfiguredHosts) {
  // Restores the defaults whatever happens below.
  struct Restore {
    ~Restore() { CXServiceConfiguration::setCurrent({}); }
  } restore;
  WithTokens tokens("AbC", "k");
  CXServiceConfiguration configuration;
  configuration.ratingsHost = "ratings.example";
  configuration.searchHostSuffix = ".search.example";
  CXServiceConfiguration::setCurrent(configuration);
  Ref<NSURLRequest> request = CXEnhancedRatingsManager::algoliaAPIRequestForTitle(ns("Heat"));
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(utf8(request->URL()->host()), "abc.search.example");
  EXPECT_EQ(utf8(request->valueForHTTPHeaderField(ns("origin"))), "https://ratings.example");
}

TEST(CertifiedRequest, IsAGetByIdentifierWithItsOwnLanguageAndReferer) {
  Ref<NSURLRequest> request =
      CXEnhancedRatingsManager::flixsterAPIRequestForEMSId(ns("2565b4fd-f59e-5f9d-ba78-88bea17faa32"));
  ASSERT_NE(request, nullptr);
  expectCommon(request, "GET");
  EXPECT_EQ(utf8(request->URL()->absoluteString()),
            "https://flixster.com/api/ems/v2/emsId/2565b4fd-f59e-5f9d-ba78-88bea17faa32");
  EXPECT_EQ(headersOf(request), (Headers{
                                    {"accept", "*/*"},
                                    {"accept-encoding", "gzip, deflate, br"},
                                    {"accept-language", "en-US,en;q=0.5"},
                                    {"referer", "https://flixster.com"},
                                    {"user-agent", kUserAgent},
                                }))
      << "no origin and no content-type";
  EXPECT_EQ(request->HTTPBody(), nullptr);
  EXPECT_EQ(CXEnhancedRatingsManager::flixsterAPIRequestForEMSId(ns("")), nullptr);
  EXPECT_EQ(CXEnhancedRatingsManager::flixsterAPIRequestForEMSId(nullptr), nullptr);
}
