#include "scorelens/hooks/display/CDSDisplayPageViewController.h"

#include "platform/foundation/NSArray.h"
#include "scorelens/hooks/display/host_access.h"
#include "scorelens/prefs/CXPrefsManager.h"

namespace hooks::CDSDisplayPageViewController {

IMP saved_viewDidLoad;

namespace {

using hooks::display::isKind;
using hooks::display::sendIfAnswered;

// The collection view an internal child controller keeps, under either of the
// names the host has used for it; nil when the child has neither.
StrongId collectionViewOfChild(id child, Class internalClass) {
  Ivar ivar = class_getInstanceVariable(internalClass, "collectionView");
  if (!ivar) ivar = class_getInstanceVariable(internalClass, "cdsCollectionView");
  if (!ivar) return nullptr;
  return object_getIvar(child, ivar);
}

}  // namespace

void viewDidLoad(id self, SEL _cmd) {
  if (saved_viewDidLoad) imp_call<void>(saved_viewDidLoad, self, _cmd);
  if (!CXPrefsManager::enhancedRatingEnabled()) return;
  if (!sendIfAnswered<StrongId>(self, "videoId")) return;

  Class internalClass = objc_getClass("NetflixCollectionView.CDSInternalViewController");
  Class collectionViewClass = objc_getClass("NetflixCollectionView.CDSCollectionView");
  Class dataSourceClass = objc_getClass("NetflixCollectionView.CDSCollectionViewDiffableDataSource");
  Ref<NSArray> children = sendIfAnswered<Ref<NSArray>>(self, "childViewControllers");
  if (!children) return;
  // Every internal child is served: a page can carry more than one.
  for (const StrongId& child : *children) {
    if (!isKind(child.get(), internalClass)) continue;
    StrongId collectionView = collectionViewOfChild(child.get(), internalClass);
    if (!isKind(collectionView.get(), collectionViewClass)) continue;
    StrongId dataSource = sendIfAnswered<StrongId>(collectionView.get(), "dataSource");
    // A data source whose class was not prepared (an older host) has no strip to make.
    if (!isKind(dataSource.get(), dataSourceClass) ||
        !hooks::display::answers(dataSource.get(), "CXCreateEnhancedRatingContainerForVideoId:"))
      continue;
    StrongId videoId = sendIfAnswered<StrongId>(self, "videoId");
    objc_msgSend<void>(dataSource.get(), "CXCreateEnhancedRatingContainerForVideoId:", videoId.get());
  }
}

}  // namespace hooks::CDSDisplayPageViewController
