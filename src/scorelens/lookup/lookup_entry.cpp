// The entry through which the rating view starts one title's lookup.

#include "scorelens/lookup/CXEnhancedRatingsManager.h"

Ref<NSURLSessionDataTask> CXEnhancedRatingsManager::ratingDataTaskForVideoDisplayPageModel_completionHandler(
    CXVideoDisplayPageModel* model, CXRatingHandler handler) {
  if (!model) return nullptr;
  if (hasValidSessionTokens()) return algoliaAPIDataTaskForVideoDisplayPageModel_completionHandler(model, std::move(handler));

  // Without tokens the home page comes first; the search that follows runs on
  // the session's queue and is started here, handed to nobody. The snapshot
  // is taken now, on the caller's thread, as the search would take it.
  return homepageDataTaskWithCompletionHandler(
      [model = model->copyModel(), handler = std::move(handler)](bool failed) {
        if (!failed) {
          if (Ref<NSURLSessionDataTask> search =
                  algoliaAPIDataTaskForVideoDisplayPageModel_completionHandler(model, handler)) {
            search->resume();
            return;
          }
        }
        if (handler) handler(nullptr, true);
      });
}
