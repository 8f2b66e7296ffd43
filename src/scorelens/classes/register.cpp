// The module's classes, registered when its library loads, as the device's run
// time registers the classes of a loaded image. Read top to bottom like the
// module's class list.

#include "scorelens/classes/register.h"

#include "scorelens/lookup/CXEnhancedRating.h"
#include "scorelens/lookup/CXEnhancedRatingsManager.h"
#include "scorelens/lookup/CXVideoDisplayPageModel.h"
#include "scorelens/prefs/CXPrefsManager.h"
#include "scorelens/view/CXEnhancedRatingViewContainer.h"

void registerScoreLensClasses() {
  Class root = objc::classOf<NSObject>();
  // Rating lookup.
  objc::registerClass<CXEnhancedRating>("CXEnhancedRating", root);
  objc::registerClass<CXVideoDisplayPageModel>("CXVideoDisplayPageModel", root);
  objc::registerClass<CXEnhancedRatingsManager>("CXEnhancedRatingsManager", root);
  // Preferences and resources: class methods only, never instantiated.
  objc::registerClass<CXPrefsManager>("CXPrefsManager", root);
  // Rating view.
  Class strip = objc::registerClass<CXEnhancedRatingViewContainer>("CXEnhancedRatingViewContainer", objc::classOf<UIView>());
  CXEnhancedRatingViewContainer::registerRunTimeMethods(strip);
}

namespace {
__attribute__((constructor)) void scoreLensImageLoaded() { registerScoreLensClasses(); }
}  // namespace
