#include "scorelens/hooks/display/NeroAppFlowController.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "scorelens/hooks/display/host_access.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::NeroAppFlowController {

IMP saved_presentViewController_fromViewController_animated_completion;

void presentViewController_fromViewController_animated_completion(id self, SEL _cmd, id viewController,
                                                                    id fromViewController, bool animated,
                                                                    id completion) {
  if (hooks::display::isKind(viewController, "Argo.ActionSheetController") &&
      CXPrefsManager::needsDetailsFromActionSheet()) {
    // The module opened this sheet to read it: the user never sees it, and
    // its completion never runs.
    CXPrefsManager::setNeedsDetailsFromActionSheet(false);
    if (StrongId userInfo = hooks::display::sendIfAnswered<StrongId>(viewController, "userInfo"))
      NSNotificationCenter::defaultCenter()->postNotificationName_object("CXDetailsFromActionSheetDelivered"_ns,
                                                                         userInfo.get());
    return;
  }
  if (!saved_presentViewController_fromViewController_animated_completion) return;
  imp_call<void>(saved_presentViewController_fromViewController_animated_completion, self, _cmd, viewController,
                 fromViewController, animated, completion);
}

}  // namespace hooks::NeroAppFlowController
