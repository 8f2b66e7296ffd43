// Turning an accepted search hit into a rating, and the certified-status
// lookup for films whose hit does not settle it.

#include "platform/foundation/NSJSONSerialization.h"
#include "scorelens/lookup/answers.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/CXServiceConfiguration.h"
#include "scorelens/lookup/request_support.h"

using namespace lookup;

namespace {
// Above this the hit's own certified flag is trusted; at it and below the
// rating view asks the certified-status service.
constexpr double kSelfCertifiedAbove = 75.0;

// Scores are whole percentages: any fraction is dropped.
double wholeScore(const NSNumber* score) { return static_cast<double>(score->integerValue()); }
}  // namespace

CertifiedOutcome lookup::certifiedOutcomeFromAnswer(const NSData* data, const NSError* error) {
  CertifiedOutcome outcome;
  if (!data || error) return outcome;
  Ref<NSError> decodeError;
  StrongId answer = NSJSONSerialization::JSONObjectWithData_options_error(data, 0, &decodeError);
  if (decodeError) return outcome;
  NSDictionary* tomatometer = member<NSDictionary>(answer.get(), "tomatometer");
  if (NSNumber* fresh = member<NSNumber>(tomatometer, "certifiedFresh")) {
    outcome.certified = fresh->boolValue();
    outcome.failed = false;
  }
  return outcome;
}

Ref<CXEnhancedRating> CXEnhancedRatingsManager::enhancedRatingForEntry_isMovie(id entry, bool isMovie) {
  Ref<CXEnhancedRating> rating = make<CXEnhancedRating>();
  rating->setIsMovie(isMovie);
  if (NSString* emsId = nonEmptyText(entry, "emsId")) rating->setEmsId(emsId);
  if (NSString* vanity = nonEmptyText(entry, "vanity")) {
    Ref<NSString> path = NSString::stringWithFormat("/%@/%@", ns(isMovie ? "m" : "tv"), Ref<NSString>(vanity));
    rating->setUrl(httpsURL(CXServiceConfiguration::current().ratingsHost, path));
  }
  if (NSDictionary* scores = member<NSDictionary>(entry, "rottenTomatoes")) {
    if (NSNumber* critics = member<NSNumber>(scores, "criticsScore")) {
      rating->setHasCriticRating(true);
      rating->setCriticRating(wholeScore(critics));
      if (isMovie && rating->criticRating() > kSelfCertifiedAbove) {
        NSNumber* certified = member<NSNumber>(scores, "certifiedFresh");
        if (certified && certified->boolValue()) {
          rating->setIsCertified(true);
          rating->setIsValidated(true);
        }
      }
    }
    if (NSNumber* audience = member<NSNumber>(scores, "audienceScore")) {
      rating->setHasAudienceRating(true);
      rating->setAudienceRating(wholeScore(audience));
    }
  }
  return rating;
}

Ref<NSURLRequest> CXEnhancedRatingsManager::flixsterAPIRequestForEMSId(NSString* emsId) {
  if (!emsId || emsId->length() == 0) return nullptr;
  std::string host = CXServiceConfiguration::current().certifiedHost;
  Ref<NSURL> url = httpsURL(host, NSString::stringWithFormat("/api/ems/v2/emsId/%@", Ref<NSString>(emsId)));
  Ref<NSString> root = httpsRoot(host);
  if (!url || !root) return nullptr;
  Ref<NSMutableURLRequest> request = newRequest(url, "GET",
                                                {
                                                    {"accept", ns("*/*")},
                                                    {"accept-encoding", ns("gzip, deflate, br")},
                                                    {"accept-language", ns("en-US,en;q=0.5")},
                                                    {"referer", root},
                                                    {"user-agent", ns(kUserAgent)},
                                                });
  return objc_cast<NSURLRequest>(request->copy().get());
}

Ref<NSURLSessionDataTask> CXEnhancedRatingsManager::certifiedDataTaskForEMSId_completionHandler(
    NSString* emsId, CXCertifiedHandler handler) {
  Ref<NSURLRequest> request = flixsterAPIRequestForEMSId(emsId);
  Ref<NSURLSession> session = sharedInstance()->enhancedRatingSession();
  if (!request || !session) return nullptr;
  return session->dataTaskWithRequest_completionHandler(
      request, [handler = std::move(handler)](NSData* data, NSURLResponse*, NSError* error) {
        CertifiedOutcome outcome = certifiedOutcomeFromAnswer(data, error);
        if (handler) handler(outcome.certified, outcome.failed);
      });
}
