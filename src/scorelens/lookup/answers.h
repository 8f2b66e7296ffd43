#pragma once
// Reading the three services' answers: pure functions of a task's outcome,
// kept apart from the tasks so each reading can be tried on its own. Internal
// to the lookup (and its tests). Any thread.

#include <optional>

#include "platform/foundation/NSError.h"
#include "scorelens/lookup/CXEnhancedRating.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"

namespace lookup {

struct SessionTokens {
  Ref<NSString> applicationId;  // non-empty
  Ref<NSString> apiKey;         // non-empty
};

// Both tokens from the ratings site's home page, or nothing: no data, a
// transport error, a body that is not UTF-8 or is empty, no settings marker,
// no "}};" after it, settings that are not a JSON object, or an
// "algoliaSearch" object without two non-empty texts "aId" and "sId".
std::optional<SessionTokens> sessionTokensFromHomePage(const NSData* data, const NSError* error);

// The search's outcome: (rating or nil, failed). failed only for no data, a
// transport error or an answer that is not JSON; any JSON answer is matched
// against model, whatever its shape.
struct SearchOutcome {
  Ref<CXEnhancedRating> rating;
  bool failed = true;
};
SearchOutcome searchOutcomeFromAnswer(CXVideoDisplayPageModel* model, const NSData* data, const NSError* error);

// The certified-status answer: (certified, NO) when it holds
// "tomatometer"/"certifiedFresh" as a number, else (NO, YES).
struct CertifiedOutcome {
  bool certified = false;
  bool failed = true;
};
CertifiedOutcome certifiedOutcomeFromAnswer(const NSData* data, const NSError* error);

}  // namespace lookup
